#include "platform/git_ignore_rules.h"

#include <cctype>
#include <cstring>

namespace varsik {

namespace Platform {
namespace {

unsigned char Lower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}
unsigned char Upper(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? c - 32 : c;
}

bool SameChar(unsigned char a, unsigned char b, bool foldCase) {
  return a == b || (foldCase && Lower(a) == Lower(b));
}

bool InPosixClass(std::string_view name, unsigned char c) {
  if (name == "alnum") return std::isalnum(c);
  if (name == "alpha") return std::isalpha(c);
  if (name == "blank") return c == ' ' || c == '\t';
  if (name == "cntrl") return std::iscntrl(c);
  if (name == "digit") return std::isdigit(c);
  if (name == "graph") return std::isgraph(c);
  if (name == "lower") return std::islower(c);
  if (name == "print") return std::isprint(c);
  if (name == "punct") return std::ispunct(c);
  if (name == "space") return std::isspace(c);
  if (name == "upper") return std::isupper(c);
  if (name == "xdigit") return std::isxdigit(c);
  return false;
}

// The bracket expression that starts at pattern[p] ("["): whether it takes `c`, and in
// `next` where the pattern goes on. False, with `next` at the end, when it is not closed:
// such a pattern matches nothing, as in git.
bool MatchClass(std::string_view pattern, size_t p, unsigned char c, bool foldCase, size_t& next) {
  next = pattern.size();
  ++p;
  bool negated = false;
  if (p < pattern.size() && (pattern[p] == '!' || pattern[p] == '^')) {
    negated = true;
    ++p;
  }
  bool matched = false;
  int previous = -1;  // the last single character, which a "-" may start a range from
  for (bool first = true;; first = false) {
    if (p >= pattern.size()) return false;
    auto ch = static_cast<unsigned char>(pattern[p]);
    if (ch == ']' && !first) break;
    if (ch == '\\') {
      if (++p >= pattern.size()) return false;
      ch = static_cast<unsigned char>(pattern[p]);
    } else if (ch == '-' && previous >= 0 && p + 1 < pattern.size() && pattern[p + 1] != ']') {
      ++p;
      auto high = static_cast<unsigned char>(pattern[p]);
      if (high == '\\') {
        if (++p >= pattern.size()) return false;
        high = static_cast<unsigned char>(pattern[p]);
      }
      const auto low = static_cast<unsigned char>(previous);
      const auto in = [&](unsigned char x) { return x >= low && x <= high; };
      if (in(c) || (foldCase && (in(Lower(c)) || in(Upper(c))))) matched = true;
      previous = -1;
      ++p;
      continue;
    } else if (ch == '[' && p + 1 < pattern.size() && pattern[p + 1] == ':') {
      const size_t end = pattern.find(":]", p + 2);
      if (end == std::string_view::npos) return false;
      const std::string_view name = pattern.substr(p + 2, end - p - 2);
      if (InPosixClass(name, c) ||
          (foldCase && (name == "upper" || name == "lower") && std::isalpha(c)))
        matched = true;
      previous = -1;
      p = end + 2;
      continue;
    }
    if (SameChar(ch, c, foldCase)) matched = true;
    previous = ch;
    ++p;
  }
  next = p + 1;
  return matched != negated;
}

// Whether the pattern element at pattern[p] (not "*") takes `c`; `next` is where the
// pattern goes on.
bool MatchOne(std::string_view pattern, size_t p, unsigned char c, bool foldCase, size_t& next) {
  switch (pattern[p]) {
    case '?':
      next = p + 1;
      return true;
    case '[':
      return MatchClass(pattern, p, c, foldCase, next);
    case '\\':
      // A backslash at the end escapes nothing: such a pattern matches nothing.
      next = p + 2;
      return p + 1 < pattern.size() &&
             SameChar(static_cast<unsigned char>(pattern[p + 1]), c, foldCase);
    default:
      next = p + 1;
      return SameChar(static_cast<unsigned char>(pattern[p]), c, foldCase);
  }
}

// One name against one pattern segment. A "*" takes any run within the name, so the
// last one is the only point to come back to.
bool GlobMatch(std::string_view pattern, std::string_view name, bool foldCase) {
  size_t p = 0, n = 0;
  size_t starPattern = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      while (p < pattern.size() && pattern[p] == '*') ++p;
      starPattern = p;
      starName = n;
      continue;
    }
    size_t next = 0;
    if (p < pattern.size() &&
        MatchOne(pattern, p, static_cast<unsigned char>(name[n]), foldCase, next)) {
      p = next;
      ++n;
    } else if (starPattern != std::string_view::npos) {
      p = starPattern;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// The path's components against the segments, where "**" takes any number of them: the
// same scheme one level up, each other segment taking exactly one component.
bool SegmentsMatch(const std::vector<std::string>& segments, std::span<const std::string_view> path,
                   bool foldCase) {
  size_t s = 0, c = 0;
  size_t starSegment = std::string::npos, starPath = 0;
  while (c < path.size()) {
    if (s < segments.size() && segments[s] == "**") {
      starSegment = ++s;
      starPath = c;
    } else if (s < segments.size() && GlobMatch(segments[s], path[c], foldCase)) {
      ++s;
      ++c;
    } else if (starSegment != std::string::npos) {
      s = starSegment;
      c = ++starPath;
    } else {
      return false;
    }
  }
  while (s < segments.size() && segments[s] == "**") ++s;
  return s == segments.size();
}

// The line without its trailing blanks, unless a backslash keeps one.
std::string_view TrimTrailingSpaces(std::string_view line) {
  size_t end = line.size();
  size_t lastSpace = std::string_view::npos;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == ' ') {
      if (lastSpace == std::string_view::npos) lastSpace = i;
      continue;
    }
    if (line[i] == '\\' && ++i >= line.size()) return line;
    lastSpace = std::string_view::npos;
  }
  if (lastSpace != std::string_view::npos) end = lastSpace;
  return line.substr(0, end);
}

}  // namespace

TGitIgnoreRules::TGitIgnoreRules(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    Add(line);
  }
}

void TGitIgnoreRules::Add(std::string_view line) {
  if (line.empty() || line.front() == '#') return;
  line = TrimTrailingSpaces(line);
  TRule rule;
  if (line.starts_with('!')) {
    rule.Negated = true;
    line.remove_prefix(1);
  }
  if (line.ends_with('/')) {
    rule.FolderOnly = true;
    line.remove_suffix(1);
  }
  rule.Anchored = line.find('/') != std::string_view::npos;
  if (line.starts_with('/')) line.remove_prefix(1);
  if (line.empty()) return;
  rule.Pattern = line;
  if (rule.Anchored) {
    for (size_t start = 0;;) {
      const size_t slash = line.find('/', start);
      rule.Segments.emplace_back(line.substr(start, slash - start));
      if (slash == std::string_view::npos) break;
      start = slash + 1;
    }
    // "dir/**" takes everything inside the folder but not the folder itself.
    if (rule.Segments.back() == "**") rule.Segments.insert(rule.Segments.end() - 1, "*");
  }
  Rules.push_back(std::move(rule));
}

TGitIgnoreRules::TVerdict TGitIgnoreRules::Match(std::span<const std::string_view> path,
                                                 bool isFolder, bool foldCase) const {
  if (path.empty()) return TVerdict::None;
  for (auto rule = Rules.rbegin(); rule != Rules.rend(); ++rule) {
    if (rule->FolderOnly && !isFolder) continue;
    const bool matched = rule->Anchored ? SegmentsMatch(rule->Segments, path, foldCase)
                                        : GlobMatch(rule->Pattern, path.back(), foldCase);
    if (matched) return rule->Negated ? TVerdict::Included : TVerdict::Ignored;
  }
  return TVerdict::None;
}

}  // namespace Platform

}  // namespace varsik
