// Limits on what compiling a pattern may cost, and on what the compiled patterns kept may
// hold. They bound cost, not the number of items: a long but linear pattern (a literal of
// hundreds of thousands of characters, thousands of words joined by "|") compiles, while
// one whose automaton grows faster than its text (nested "+", (a|b)*a(a|b)(a|b)...,
// thousands of overlapping ranges) is refused with kMsgTooComplex as soon as it outgrows
// them. At the limits each stage stays well below a second.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varsik {

inline constexpr const char* kMsgTooComplex =
    "正規表現が複雑すぎます。パターンを短くするか単純にしてください。";

// Memory: the bytes that one compile holds at once — the pattern text, the parse trees, the
// NFA, and the DFA with its state sets and working tables — counted as its containers hold
// them (capacity, and both buffers while one grows into the other).
inline constexpr size_t kMaxCompileBytes = size_t{64} << 20;

// The bytes that the compiled patterns of one regular-expression object keep together
// (texts and automata); the oldest are dropped to stay within it. With kMaxCompileBytes it
// bounds what the pattern engine holds at any time.
inline constexpr size_t kMaxCachedBytes = size_t{64} << 20;

// Work that needs little memory but much time. Cutting ranges apart grows with the square of
// their number (counted in leaves looked at); the subset construction is counted in NFA
// states closed and moves followed.
inline constexpr int64_t kMaxParseWork = 400'000'000;
inline constexpr int64_t kMaxDFAWork = 150'000'000;

}  // namespace varsik
