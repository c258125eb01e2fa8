#include "shell/marked_text.h"

#include "platform/cp932.h"

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

}  // namespace MarkedText

}  // namespace varsik
