// THeldHits: matching lines held between a search and the output, compactly: their texts
// in one buffer, a small record per line, their match spans in one vector. Keeping a line
// allocates nothing of its own, and a piece of lines is handed on by moving three buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "search/encoding.h"
#include "search/line_info.h"
#include "search/match_span.h"

namespace varsik {

class THeldHits {
 public:
  void Add(const RE_LineInfo_t& hit);
  bool Empty() const { return Records.empty(); }
  // What the lines held cost, near enough (the memory budget's measure).
  size_t Bytes() const {
    return Texts.size() + Records.size() * sizeof(TRecord) + Matches.size() * sizeof(TMatchSpan);
  }
  // The memory kept, held or not.
  size_t Capacity() const {
    return Texts.capacity() + Records.capacity() * sizeof(TRecord) +
           Matches.capacity() * sizeof(TMatchSpan);
  }
  // Empties it, keeping its memory for the next lines.
  void Clear();
  // How much it holds, to make another as big at once (Reserve) rather than grow it.
  struct TSizes {
    size_t Texts = 0;
    size_t Records = 0;
    size_t Matches = 0;
  };
  TSizes Sizes() const { return {Texts.size(), Records.size(), Matches.size()}; }
  void Reserve(const TSizes& sizes);

  // Calls put with each line in turn, rebuilt in `line` (one record reused for all, so
  // that putting a line out allocates nothing once it has grown), its number moved on by
  // `lineBase`.
  template <typename TPut>
  void ForEach(RE_LineInfo_t& line, int64_t lineBase, TPut&& put) const {
    for (const TRecord& record : Records) {
      Rebuild(record, lineBase, line);
      put(line);
    }
  }

 private:
  struct TRecord {
    int64_t LineNo;
    // In Texts: Line from TextBegin, Original right after it.
    size_t TextBegin;
    size_t LineBytes;
    size_t OriginalBytes;
    // In Matches.
    size_t MatchBegin;
    size_t MatchCount;
    TEncoding Encoding;
    bool Cut;
  };

  void Rebuild(const TRecord& record, int64_t lineBase, RE_LineInfo_t& line) const;

  std::string Texts;
  std::vector<TRecord> Records;
  std::vector<TMatchSpan> Matches;
};

}  // namespace varsik
