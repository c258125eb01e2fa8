// TRE_NFAStateSet: a set of NFA state numbers for one NFA, the working set of the subset
// construction. A bit per state answers Has in constant time; the member list lets the
// set be walked and emptied in time proportional to its size.
#pragma once

#include <cstdint>
#include <vector>

class TRE_NFAStateSet {
 public:
  // A set for an NFA of stateCount states: stateCount / 8 + 1 bytes of bits.
  explicit TRE_NFAStateSet(int32_t stateCount) : Bits(stateCount / 8 + 1, 0) {}

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

 private:
  std::vector<uint8_t> Bits;
  std::vector<int32_t> MemberList;
};
