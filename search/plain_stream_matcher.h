// TPlainStreamMatcher: plain mode's rule for one line (PlainLineRule::LineMatches on the
// line folded as the switches say) taken in one forward pass, a byte at a time: the
// folding, the search for the word (Knuth-Morris-Pratt over the folded bytes) and the
// whole-word test each look back no further than the word's length. A line therefore
// costs time in proportion to its length whatever the word and the text, and it may
// come in pieces of any size. The plain search uses it for the lines that its fast scan
// does not take on: lines whose folding changes lengths, lines too long to hold, and
// lines on which the fast scan's compares would cost more than a pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varsik {

class TPlainStreamMatcher {
 public:
  // `foldedWord` is the word as PlainLineRule::Fold makes it with the same switches.
  void Prepare(std::string_view foldedWord, bool upperLowerMatch, bool fuzzySearch,
               bool searchAsWord);

  // One line: Begin, Feed for each piece in order (CR bytes are dropped, as the plain
  // search reads lines), then End, which says whether the line holds the word.
  void Begin();
  void Feed(const uint8_t* begin, const uint8_t* end);
  bool End();
  // The line holds the word already; the rest need not be fed.
  bool Matched() const { return Found; }

  bool LineMatches(const uint8_t* begin, const uint8_t* end) {
    Begin();
    Feed(begin, end);
    return End();
  }

 private:
  // The stages, each handing on to the next: characters of the raw bytes, lower-cased;
  // half-width katakana joined with their marks and widened; the folded bytes searched.
  void TakeChar(uint8_t first, int second);
  void TakeLoweredChar(const uint8_t* bytes, size_t length);
  void TakeFoldedChars(std::string_view folded);
  void Step(uint8_t b, bool charStart);
  // An occurrence of the word begins at folded byte `pos`.
  void Occurrence(int64_t pos);
  void FlushKana();

  bool UpperLowerMatch = false;
  bool FuzzySearch = false;
  bool SearchAsWord = false;
  bool Never = true;
  std::string Word;
  std::vector<int32_t> Fail;  // Knuth-Morris-Pratt: the longest proper border of each prefix

  // The line being matched.
  int PendingLead = -1;  // a lead byte waiting for its trail
  int PendingKana = -1;  // a half-width katakana waiting to see whether a mark follows
  std::string Converted;
  int64_t Count = 0;   // folded bytes so far
  int32_t Prefix = 0;  // the length of the word's prefix that the last bytes hold
  bool Found = false;
  // The last folded bytes, enough to look back over a word and one byte before it.
  struct TFolded {
    uint8_t Byte;
    bool CharStart;
  };
  std::vector<TFolded> Ring;
  // The whole-word test of the occurrence before, and of one that waits for its next byte.
  int64_t PreviousPos = -1;
  bool PreviousIsLead = false;
  bool AfterPending = false;
};

}  // namespace varsik
