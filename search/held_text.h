// THeldText: the texts of hit lines held until their file's encoding is confirmed (or the
// file has been read), written one behind the other into chunks that are never moved:
// holding many lines copies none of those held before, and touches the memory they take
// once, where one string growing by doubling copies them and touches twice as much.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace varsik {

class THeldText {
 public:
  // The most that the first chunk, kept from file to file, takes as a string grows (a
  // file with few hits takes no more than they need), and the room of the largest: each
  // later chunk has twice the room of the one before.
  static constexpr size_t kFirstChunk = 4096;
  static constexpr size_t kChunk = 256 * 1024;

  THeldText() : Chunks(1) {}

  // The chunk to append the next texts to, `size` bytes at most: the last one, or a new one
  // where the last lacks the room. A longer text still goes whole into it (it grows).
  std::string& Room(size_t size) {
    std::string& last = Chunks[Used - 1];
    const bool fits =
        last.capacity() - last.size() >= size || (Used == 1 && last.size() + size <= kFirstChunk);
    return fits ? last : NewChunk(size);
  }
  // The number of the chunk that Room gave last, and a chunk by its number.
  size_t Last() const { return Used - 1; }
  const std::string& Chunk(size_t number) const { return Chunks[number]; }
  // The bytes held.
  size_t Size() const { return Before + Chunks[Used - 1].size(); }

  // Forgets the texts; their chunks are used again.
  void Clear() {
    Used = 1;
    Before = 0;
    Chunks.front().clear();
  }
  // Gives back the chunks but the first, and the first's room too where a long line made
  // it larger than kChunk; the texts are forgotten then.
  void Release() {
    if (Chunks.size() > 1 || Chunks.front().capacity() > kChunk) GiveBack();
  }

 private:
  std::string& NewChunk(size_t size);
  void GiveBack();

  std::vector<std::string> Chunks;
  size_t Used = 1;
  size_t Before = 0;  // the bytes in the chunks before the last one used
};

}  // namespace varsik
