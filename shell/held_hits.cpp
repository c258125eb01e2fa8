#include "shell/held_hits.h"

namespace varsik {

void THeldHits::Add(const RE_LineInfo_t& hit) {
  Records.push_back({hit.LineNo, Texts.size(), hit.Line.size(), hit.Original.size(), Matches.size(),
                     hit.Matches.size(), hit.Encoding, hit.Cut});
  // Most lines have no text of their own encoding and no marks: no copy is begun for them.
  Texts += hit.Line;
  if (!hit.Original.empty()) Texts += hit.Original;
  if (!hit.Matches.empty()) Matches.insert(Matches.end(), hit.Matches.begin(), hit.Matches.end());
}

void THeldHits::Clear() {
  Texts.clear();
  Records.clear();
  Matches.clear();
}

void THeldHits::Reserve(const TSizes& sizes) {
  Texts.reserve(sizes.Texts);
  Records.reserve(sizes.Records);
  Matches.reserve(sizes.Matches);
}

void THeldHits::Rebuild(const TRecord& record, int64_t lineBase, RE_LineInfo_t& line) const {
  line.LineNo = record.LineNo + lineBase;
  line.Cut = record.Cut;
  line.Encoding = record.Encoding;
  const char* const text = Texts.data() + record.TextBegin;
  line.Line.assign(text, record.LineBytes);
  if (record.OriginalBytes == 0) {
    line.Original.clear();
  } else {
    line.Original.assign(text + record.LineBytes, record.OriginalBytes);
  }
  if (record.MatchCount == 0) {
    line.Matches.clear();
  } else {
    const TMatchSpan* const matches = Matches.data() + record.MatchBegin;
    line.Matches.assign(matches, matches + record.MatchCount);
  }
}

}  // namespace varsik
