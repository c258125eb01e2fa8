// TCutCharacters: runs a reader over a text that comes in pieces which may cut a
// character: the bytes of a cut character are held and read again, together with the
// start of the next piece, so that the reader sees every character whole and its result
// does not depend on where the pieces were cut. The decoders and the encoding detector
// read through it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace varsik {

class TCutCharacters {
 public:
  // The most bytes of a cut character held (a four-byte one lacks at least its last byte).
  static constexpr size_t kMaxHeld = 3;

  // Runs `run(p, end, final, offset)` over the held bytes and the piece. `run` reads the
  // characters of [p, end) and returns where it stopped: at end, or (unless `final`) at a
  // character that end cuts, at most kMaxHeld bytes before end; `offset` is where p lies
  // from the start of the piece (negative for held bytes in front of it).
  template <typename TRun>
  void Feed(std::span<const uint8_t> in, TRun&& run) {
    const uint8_t* p = in.data();
    const uint8_t* const end = p + in.size();
    if (Size > 0) {
      // The cut character is finished in a small buffer of its bytes and the next ones.
      uint8_t joined[kMaxHeld + kJoin];
      const size_t take = std::min(in.size(), kJoin);
      std::memcpy(joined, Held, Size);
      std::memcpy(joined + Size, p, take);
      const auto heldSize = static_cast<ptrdiff_t>(Size);
      const size_t used =
          static_cast<size_t>(run(joined, joined + Size + take, false, -heldSize) - joined);
      if (used < Size) {
        // Still cut: the piece was too short to finish it.
        const size_t kept = Size + take - used;
        std::memmove(Held, joined + used, kept);
        Size = kept;
        return;
      }
      p += used - Size;
      Size = 0;
    }
    const uint8_t* stop = run(p, end, false, p - in.data());
    Size = static_cast<size_t>(end - stop);
    std::memcpy(Held, stop, Size);
  }

  // The text has ended: `run` reads the held bytes as they are, with `final` set.
  template <typename TRun>
  void Finish(TRun&& run) {
    if (Size == 0) return;
    const auto heldSize = static_cast<ptrdiff_t>(Size);
    Size = 0;
    run(Held, Held + heldSize, true, -heldSize);
  }

  size_t HeldSize() const { return Size; }
  void Clear() { Size = 0; }

 private:
  // Bytes of a new piece put behind the held ones: enough to finish any cut character.
  static constexpr size_t kJoin = 8;

  uint8_t Held[kMaxHeld] = {};
  size_t Size = 0;
};

}  // namespace varsik
