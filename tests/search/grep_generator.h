// Generated Shift JIS texts and patterns for the grep component's tests. The texts mix
// double-byte characters whose trail bytes are "\\", "|", "[" or letters, half-width
// kana, stray lead bytes, CR, LF, NUL and 1A bytes, and long lines; the patterns use
// every construct, anchors, and the code 0. A test may add text pieces and atoms of its
// own; without them the sequence of a seed stays the same.
#pragma once

#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace varsik {

namespace GrepTest {

// Characters of the texts and of the patterns' literals.
inline const char* const kDoubleByte[] = {
    "\x95\x5C",  // 表: trail "\"
    "\x83\x5C",  // ソ: trail "\"
    "\x83\x7C",  // ポ: trail "|"
    "\x81\x5B",  // ー: trail "["
    "\x83\x41",  // ア: trail "A"
    "\x83\x61",  // ヂ: trail "a"
    "\x88\x9F",  // 亜
    "\x9F\x88",  // the pair of bytes between two 亜
    "\xE0\x5C",  // 漾: trail "\"
    "\x81\x40",  // full-width space
};
inline const char kSingle[] = {'a', 'b', 'c', 'x', 'A', ' ', '\\', '|',    '[',    ']',   '^',
                               '$', '(', ')', '.', '*', '0', '5',  '\xB1', '\xDF', '\xA1'};

class TGenerator {
 public:
  explicit TGenerator(uint32_t seed) : Rng(seed) {}

  // Pieces of text and atoms of patterns that come up besides the built-in ones.
  std::vector<std::string> ExtraPieces;
  std::vector<std::string> ExtraAtoms;

  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(Rng); }

  std::string Text() { return Text(Below(60)); }
  std::string Text(int pieces) {
    std::string t;
    for (int i = 0; i < pieces; ++i) {
      if (!ExtraPieces.empty() && Below(8) == 0) {
        t += ExtraPieces[Below(static_cast<int>(ExtraPieces.size()))];
        continue;
      }
      const int k = Below(100);
      if (k < 35) {
        t += kSingle[Below(sizeof kSingle)];
      } else if (k < 60) {
        t += kDoubleByte[Below(std::size(kDoubleByte))];
      } else if (k < 70) {
        t += '\n';
      } else if (k < 76) {
        t += "\r\n";
      } else if (k < 80) {
        t += '\r';
      } else if (k < 84) {
        t += '\0';
      } else if (k < 86) {
        t += '\x1A';
      } else if (k < 90) {
        t += '\x81';  // a lead byte that takes whatever follows as its trail
      } else if (k < 93) {
        t += std::string(static_cast<size_t>(20 + Below(200)), "axb"[Below(3)]);
      } else {
        t += "abc";
      }
    }
    return t;
  }

  std::string Pattern() {
    std::string p;
    if (Below(5) == 0) p += '^';
    p += Alternation(2);
    if (Below(5) == 0) p += '$';
    return p;
  }

 private:
  std::string Alternation(int depth) {
    std::string s = Sequence(depth);
    while (Below(5) == 0) {
      s += '|';
      s += Sequence(depth);
    }
    return s;
  }
  std::string Sequence(int depth) {
    std::string s;
    const int n = 1 + Below(4);
    for (int i = 0; i < n; ++i) {
      s += Atom(depth);
      switch (Below(8)) {
        case 0:
          s += '*';
          break;
        case 1:
          s += '+';
          break;
        case 2:
          s += '?';
          break;
        default:
          break;
      }
    }
    return s;
  }
  std::string Atom(int depth) {
    if (!ExtraAtoms.empty() && Below(4) == 0)
      return ExtraAtoms[Below(static_cast<int>(ExtraAtoms.size()))];
    const int k = Below(100);
    if (k < 30) return Literal(kSingle[Below(sizeof kSingle)]);
    if (k < 50) return kDoubleByte[Below(std::size(kDoubleByte))];
    if (k < 55) return ".";
    if (k < 60) return "\\n";
    if (k < 63) return "\\0";
    if (k < 66) return "[\\x00-\\x0a]";
    if (k < 72) return "[ab\\\\]";
    if (k < 76) return "[^a]";
    if (k < 80) return std::string(1, '[').append(kDoubleByte[Below(3)]).append("x]");
    if (k < 84) return "[a-c]";
    if (k < 86) return "\\r";
    if (depth == 0) return "a";
    std::string group(1, '(');
    group += Alternation(depth - 1);
    group += ')';
    return group;
  }
  static std::string Literal(char c) {
    if (std::string_view("\\|[]^$().*+?").find(c) != std::string_view::npos)
      return std::string("\\") + c;
    return std::string(1, c);
  }

  std::mt19937 Rng;
};

}  // namespace GrepTest

}  // namespace varsik
