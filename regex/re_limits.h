// Limits on the work of compiling one pattern. A pattern that would exceed them is
// rejected with kMsgTooComplex instead of exhausting memory or time: cutting ranges apart
// grows with the square of their number, the NFA exponentially with nested "+" (each
// copies its operand), and the eager DFA with patterns such as (a|b)*a(a|b)(a|b)... .
// At the limits each stage stays well below a second.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr const char* kMsgTooComplex =
    "正規表現が複雑すぎます。パターンを短くするか単純にしてください。";

// Parse tree: nodes, and the work of cutting overlapping ranges apart (leaves looked at;
// it grows with the square of the number of ranges in the pattern).
inline constexpr size_t kMaxParseNodes = 4'000'000;
inline constexpr int64_t kMaxParseWork = 400'000'000;

// NFA: states and transitions (about 60 MB at the limits).
inline constexpr int32_t kMaxNFAStates = 2'000'000;
inline constexpr int32_t kMaxNFATransitions = 4'000'000;

// DFA: states, and the work of the subset construction counted in NFA states visited by
// the empty closures and transitions made (bounds both its time and the stored sets).
inline constexpr int32_t kMaxDFAStates = 50'000;
inline constexpr int64_t kMaxDFAWork = 100'000'000;
