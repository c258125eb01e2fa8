#include "shell/marked_text.h"

#include "platform/cp932.h"
#include "search/original_text.h"

namespace varsik {

namespace MarkedText {

namespace {

// The bounds of one line's matches, reused from line to line.
thread_local std::vector<size_t> Bounds;

}  // namespace

void AppendConverted(std::string& out, std::string_view text, std::span<const TMatchSpan> matches,
                     const TConvert& convert, std::vector<TMatchSpan>& moved) {
  Bounds.clear();
  for (const TMatchSpan& m : matches) {
    if (m.End <= m.Begin || m.End > text.size() || (!Bounds.empty() && m.Begin < Bounds.back()))
      continue;
    Bounds.push_back(m.Begin);
    Bounds.push_back(m.End);
  }
  convert(text, Bounds, out);
  for (size_t i = 0; i < Bounds.size(); i += 2)
    if (Bounds[i] < Bounds[i + 1]) moved.push_back({Bounds[i], Bounds[i + 1]});
}

void KeepCp932(std::string_view text, std::span<size_t> bounds, std::string& out) {
  for (size_t& bound : bounds) bound += out.size();
  out += text;
}

void Cp932ToUtf8(std::string_view text, std::span<size_t> bounds, std::string& out) {
  Platform::AppendCp932AsUtf8(text, bounds, out);
}

TConvert FromFile(TEncoding encoding, bool toUtf8) {
  if (ReadsAsShiftJis(encoding)) return toUtf8 ? Cp932ToUtf8 : KeepCp932;
  return [encoding, toUtf8](std::string_view text, std::span<size_t> bounds, std::string& out) {
    // The bounds lie between characters (an escape sequence goes with the character
    // behind it), so the text converts piece by piece, a JIS piece in the shift state
    // that the one before it left.
    TJisShift shift = TJisShift::Ascii;
    size_t done = 0;
    const auto append = [&](size_t end) {
      const std::string_view piece = text.substr(done, end - done);
      const std::string utf8 = OriginalToUtf8(piece, encoding, shift);
      out += toUtf8 ? utf8 : Platform::Utf8ToCp932Lossy(utf8);
      if (encoding == TEncoding::Iso2022Jp) shift = JisShiftAfter(piece, shift);
      done = end;
    };
    for (size_t& bound : bounds) {
      append(bound);
      bound = out.size();
    }
    append(text.size());
  };
}

}  // namespace MarkedText

}  // namespace varsik
