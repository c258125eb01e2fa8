// ByteScan::Swar::TVec: the eight bytes of a 64-bit word as the lanes of a vector, for the
// portable form of ByteScan's scans (byte_scan_portable.cpp). Each operation works on every
// lane apart, as a vector instruction does, with no carry or borrow between lanes; a lane
// that a comparison finds true is FF hex.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace varsik {

namespace ByteScan::Swar {

struct TVec {
  using T = uint64_t;
  static constexpr size_t kWidth = 8;

  // Lane i holds the byte at p + i, whatever the processor's byte order.
  static T Load(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    return v;
  }
  static T Splat(uint8_t b) { return kOnes * b; }
  static T Eq(T a, T b) {
    // A lane of a ^ b that is not zero sets its sign bit: its low seven bits plus 7F
    // reach it, or the lane already has it.
    const T x = a ^ b;
    return Widen(~(((x & ~kSigns) + ~kSigns) | x));
  }
  static T And(T a, T b) { return a & b; }
  // ~a & b, as the vector instructions have it.
  static T AndNot(T a, T b) { return ~a & b; }
  static T Or(T a, T b) { return a | b; }
  static T Xor(T a, T b) { return a ^ b; }
  static T Sub(T a, T b) {
    // The low seven bits are subtracted from a lane whose sign bit is set, so no borrow
    // leaves it; the sign bit of the difference is then the xor of the two sign bits and
    // the borrow that reached it.
    return ((a | kSigns) - (b & ~kSigns)) ^ ((a ^ ~b) & kSigns);
  }
  // Unsigned bytes.
  static T Min(T a, T b) { return b ^ ((a ^ b) & Widen(Less(a, b))); }
  // Signed bytes: with their sign bits flipped they compare as unsigned ones.
  static T Greater(T a, T b) { return Widen(Less(b ^ kSigns, a ^ kSigns)); }
  // The sign bit of lane i as bit i: the multiplier moves each lane's bit to bit 56 + i,
  // and no two of the products it adds overlap.
  static uint64_t Mask(T a) { return (((a >> 7) & kOnes) * 0x0102040810204080) >> 56; }
  static uint64_t SumBytes(T a) {
    // Four sums of two lanes in 16 bits each, then all four added into the top 16 bits.
    constexpr T kEvenLanes = 0x00FF00FF00FF00FF;
    const T pairs = (a & kEvenLanes) + ((a >> 8) & kEvenLanes);
    return (pairs * 0x0001000100010001) >> 48;
  }

 private:
  static constexpr T kOnes = 0x0101010101010101;
  static constexpr T kSigns = 0x8080808080808080;

  // Each lane FF where its sign bit is set, 0 elsewhere.
  static T Widen(T signs) {
    signs &= kSigns;
    return signs | (signs - (signs >> 7));
  }
  // The sign bit of each lane set where a < b, unsigned: where only b has the top bit,
  // or both or neither have it and a's low seven bits are below b's (their difference,
  // taken as in Sub, borrows the sign bit).
  static T Less(T a, T b) {
    const T low = (a | kSigns) - (b & ~kSigns);
    return ((~a & b) | (~(a ^ b) & ~low)) & kSigns;
  }
};

}  // namespace ByteScan::Swar

}  // namespace varsik
