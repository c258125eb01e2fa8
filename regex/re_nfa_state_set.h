// TRE_NFAStateSet: a set of NFA state numbers for one NFA, the working set of the subset
// construction. A bit per state answers Has in constant time; the member list lets the
// set be walked and emptied in time proportional to its size.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "regex/re_held_bytes.h"

namespace varsik {

class TRE_NFAStateSet {
 public:
  // A set for an NFA of stateCount states: stateCount / 8 + 1 bytes of bits. The member
  // list has room for every state from the start, so including never allocates.
  explicit TRE_NFAStateSet(int32_t stateCount) : Bits(stateCount / 8 + 1, 0) {
    MemberList.reserve(static_cast<size_t>(stateCount));
  }

  bool Has(int32_t i) const { return Bits[i >> 3] >> (i & 7) & 1; }
  void Include(int32_t i) {
    if (Has(i)) return;
    Bits[i >> 3] |= static_cast<uint8_t>(1 << (i & 7));
    MemberList.push_back(i);
  }
  bool Equals(const TRE_NFAStateSet& other) const { return Bits == other.Bits; }
  void Clear() {
    for (int32_t i : MemberList) Bits[i >> 3] = 0;
    MemberList.clear();
  }

  int32_t Capacity() const { return static_cast<int32_t>(Bits.size()); }
  // The members in the order of their inclusion.
  const std::vector<int32_t>& Members() const { return MemberList; }

  // The members in ascending order, into out; returns the steps it took (members sorted, or
  // bytes read), for the caller's count of work. A few are sorted; many are read off the
  // bits, skipping eight empty bytes at a time, which costs less than sorting them once
  // they are more than about one in five hundred states.
  size_t AscendingMembers(std::vector<int32_t>& out) const {
    if (MemberList.size() * 64 < Bits.size()) {
      out.assign(MemberList.begin(), MemberList.end());
      std::sort(out.begin(), out.end());
      return out.size();
    }
    out.clear();
    for (size_t at = 0; at < Bits.size(); at += 8) {
      const size_t count = std::min<size_t>(8, Bits.size() - at);
      uint64_t word = 0;
      std::memcpy(&word, Bits.data() + at, count);
      if (word == 0) continue;
      for (size_t k = at; k < at + count; ++k)
        for (unsigned bits = Bits[k]; bits != 0; bits &= bits - 1)
          out.push_back(
              static_cast<int32_t>(k * 8 + static_cast<unsigned>(std::countr_zero(bits))));
    }
    return Bits.size() / 8 + out.size();
  }

  size_t BytesHeld() const { return HeldBytes(Bits) + HeldBytes(MemberList); }

 private:
  std::vector<uint8_t> Bits;
  std::vector<int32_t> MemberList;
};

}  // namespace varsik
