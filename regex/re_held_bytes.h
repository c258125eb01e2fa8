// What the containers of a compile hold on the heap, and the check that each stage makes
// before one of them grows: the whole compile (whatever the stage counts as held) must stay
// within kMaxCompileBytes, or the pattern is refused with kMsgTooComplex.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "regex/errors.h"
#include "regex/re_limits.h"

namespace varsik {

template <typename T>
size_t HeldBytes(const std::vector<T>& v) {
  return v.capacity() * sizeof(T);
}

inline size_t HeldBytes(const std::string& s) {
  return s.capacity() + 1;
}

// A node per entry (the entry, its link, the cached hash or padding, the allocator's
// header), and the bucket array.
template <typename K, typename V>
constexpr size_t kMapNodeBytes = sizeof(std::pair<const K, V>) + 3 * sizeof(void*);

template <typename K, typename V>
size_t HeldBytes(const std::unordered_map<K, V>& m) {
  return m.size() * kMapNodeBytes<K, V> + m.bucket_count() * sizeof(void*);
}

inline void CheckCompileBytes(size_t bytes) {
  if (bytes > kMaxCompileBytes) throw ERegExpParser(kMsgTooComplex, 0);
}

// Makes room in v for count more items; held() is what the compile holds now, v included.
// The capacity at least doubles, so the check runs once per growth, and while the items move
// the old buffer is still held beside the new one.
template <typename T, typename THeld>
void MakeRoom(std::vector<T>& v, size_t count, const THeld& held) {
  if (v.capacity() - v.size() >= count) [[likely]]
    return;
  const size_t capacity = std::max({v.size() + count, v.capacity() * 2, size_t{16}});
  CheckCompileBytes(held() + capacity * sizeof(T));
  v.reserve(capacity);
}

// Before an entry is added to m. When m is about to rehash, the check covers the new bucket
// array beside the old and the nodes that will fit until the next rehash, so that it need
// not run for the entries in between.
template <typename K, typename V, typename THeld>
void MakeRoom(std::unordered_map<K, V>& m, const THeld& held) {
  const size_t fit =
      static_cast<size_t>(m.max_load_factor() * static_cast<float>(m.bucket_count()));
  if (m.size() < fit) [[likely]]
    return;
  const size_t buckets = std::max(m.bucket_count() * 2, size_t{16});
  const size_t entries = static_cast<size_t>(m.max_load_factor() * static_cast<float>(buckets));
  CheckCompileBytes(held() + buckets * sizeof(void*) + (entries - m.size()) * kMapNodeBytes<K, V>);
  m.reserve(entries);
}

}  // namespace varsik
