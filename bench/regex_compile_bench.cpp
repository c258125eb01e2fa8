// Compile times of typical patterns: each iteration builds a fresh regular-expression
// object (so nothing comes from its cache) and sets the pattern, with the fuzzy-character
// dictionary off and on. Long and hostile patterns too: how long a long one takes to
// compile, and a hostile one to be refused (run one with --benchmark_filter under
// /usr/bin/time -v to see its peak memory).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/cp932.h"
#include "regex/errors.h"
#include "regex/re_fuzzy_char_dic.h"
#include "regex/regular_expression.h"

using namespace varsik;

namespace {

// The grep component's line codes.
class TLineRegExp : public TRegularExpression {
 public:
  uint16_t GetLineHeadChar() const override { return 10; }
  uint16_t GetLineTailChar() const override { return 10; }
};

struct TPattern {
  const char* Name;
  const char* Utf8;
};

const TPattern kPatterns[] = {
    {"word", "printf"},
    {"japanese_word", "検索結果"},
    {"kana_sentence", "ファイルを開けませんでした"},
    {"alternation", "error|warning|fatal|note"},
    {"class_and_closure", "[A-Za-z_][A-Za-z0-9_]*\\("},
    {"anchored", "^#include <[a-z]+\\.h>$"},
    {"dot_star", "TODO.*fix"},
    {"negated_class", "\"[^\"]*\""},
    {"date", "[0-9][0-9][0-9][0-9]/[0-9][0-9]?/[0-9][0-9]?"},
    {"japanese_alternation", "(東京|大阪|名古屋)(都|府|市)"},
    {"long_literal", "The quick brown fox jumps over the lazy dog again and again"},
};

void Compile(benchmark::State& state, const std::string& pattern, bool fuzzy) {
  for (auto _ : state) {
    TLineRegExp re;
    re.DictionaryList().push_back(&BuiltInFuzzyCharDic());
    if (fuzzy) re.SetUseFuzzyCharDic(true);
    re.SetRegExp(pattern);
    benchmark::DoNotOptimize(re.CurrentDFA().StateCount());
  }
  TLineRegExp re;
  re.DictionaryList().push_back(&BuiltInFuzzyCharDic());
  re.SetUseFuzzyCharDic(fuzzy);
  re.SetRegExp(pattern);
  state.counters["dfa_states"] = re.CurrentDFA().StateCount();
}

// The cost of an object with an empty cache, to read the figures above against.
void BM_CreateObject(benchmark::State& state) {
  for (auto _ : state) {
    TLineRegExp re;
    benchmark::DoNotOptimize(&re.CurrentDFA());
  }
}
BENCHMARK(BM_CreateObject);

// A cache hit: what the main window pays for every file after the first.
void BM_CacheHit(benchmark::State& state) {
  TLineRegExp re;
  re.SetRegExp("error|warning");
  for (auto _ : state) re.SetRegExp("error|warning");
}
BENCHMARK(BM_CacheHit);

void BM_Explosive(benchmark::State& state) {
  std::string pattern = "(a|b)*a";
  for (int i = 0; i < state.range(0); ++i) pattern += "(a|b)";
  for (auto _ : state) {
    TLineRegExp re;
    re.SetRegExp(pattern);
    benchmark::DoNotOptimize(re.CurrentDFA().StateCount());
  }
}
BENCHMARK(BM_Explosive)->Arg(8)->Arg(12)->Unit(benchmark::kMillisecond);

// Long patterns, to see that compile time grows gently with the length.
std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

void BM_LongLiteral(benchmark::State& state) {
  const std::string pattern = Repeat("abcdefghij", static_cast<int>(state.range(0)) / 10);
  for (auto _ : state) {
    TLineRegExp re;
    re.SetRegExp(pattern);
    benchmark::DoNotOptimize(re.IsLiteral());
  }
}
BENCHMARK(BM_LongLiteral)->Arg(1000)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

// Sets the pattern on a fresh object each iteration; a refusal counts as done.
void CompileOrRefuse(benchmark::State& state, const std::string& pattern) {
  int64_t refused = 0;
  for (auto _ : state) {
    TLineRegExp re;
    try {
      re.SetRegExp(pattern);
    } catch (const ERegExpParser&) {
      ++refused;
    }
    benchmark::DoNotOptimize(re.CurrentDFA().StateCount());
  }
  state.counters["refused"] =
      static_cast<double>(refused) / static_cast<double>(state.iterations());
}

void BM_LongJapaneseLiteral(benchmark::State& state) {
  const std::string pattern =
      Platform::Utf8ToCp932(Repeat("日本語の検索結果表示", static_cast<int>(state.range(0)) / 10))
          .value_or(std::string());
  CompileOrRefuse(state, pattern);
}
BENCHMARK(BM_LongJapaneseLiteral)->Arg(50000)->Unit(benchmark::kMillisecond);

// Words of 8 to 12 letters joined by "|".
void BM_WordList(benchmark::State& state) {
  uint32_t seed = 12345;
  auto next = [&seed] { return (seed = seed * 1103515245 + 12345) >> 16; };
  std::string pattern;
  for (int64_t i = 0; i < state.range(0); ++i) {
    if (i > 0) pattern += '|';
    for (int n = 8 + next() % 5; n > 0; --n) pattern += static_cast<char>('a' + next() % 26);
  }
  CompileOrRefuse(state, pattern);
}
BENCHMARK(BM_WordList)->Arg(8000)->Unit(benchmark::kMillisecond);

// Refused: the sets of its DFA states grow with the square of the length.
void BM_NestedPlus(benchmark::State& state) {
  CompileOrRefuse(state, Repeat("(a+)+", static_cast<int>(state.range(0))));
}
BENCHMARK(BM_NestedPlus)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// A literal of 50,000 characters compiles; one of a megabyte is refused.
void BM_HugeLiteral(benchmark::State& state) {
  CompileOrRefuse(state, Repeat("abcdefghij", static_cast<int>(state.range(0)) / 10));
}
BENCHMARK(BM_HugeLiteral)->Arg(50000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_DeepNesting(benchmark::State& state) {
  const int depth = static_cast<int>(state.range(0));
  const std::string pattern = Repeat("(", depth) + "a" + Repeat(")*", depth);
  for (auto _ : state) {
    TLineRegExp re;
    re.SetRegExp(pattern);
    benchmark::DoNotOptimize(re.CurrentDFA().StateCount());
  }
}
BENCHMARK(BM_DeepNesting)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_LongFuzzyText(benchmark::State& state) {
  const std::string pattern =
      Platform::Utf8ToCp932(Repeat("かなカナｶﾅがぱーabc", static_cast<int>(state.range(0)) / 12))
          .value_or(std::string());
  for (auto _ : state) {
    TLineRegExp re;
    re.DictionaryList().push_back(&BuiltInFuzzyCharDic());
    re.SetUseFuzzyCharDic(true);
    re.SetRegExp(pattern);
    benchmark::DoNotOptimize(re.CurrentDFA().StateCount());
  }
}
BENCHMARK(BM_LongFuzzyText)->Arg(120)->Arg(1200)->Unit(benchmark::kMillisecond);

int RegisterPatterns() {
  for (const TPattern& p : kPatterns) {
    std::string cp932 = Platform::Utf8ToCp932(p.Utf8).value_or(std::string());
    for (bool fuzzy : {false, true}) {
      std::string name = std::string("BM_Compile/") + p.Name + (fuzzy ? "/fuzzy" : "/plain");
      benchmark::RegisterBenchmark(name.c_str(), [cp932, fuzzy](benchmark::State& state) {
        Compile(state, cp932, fuzzy);
      })->Unit(benchmark::kMicrosecond);
    }
  }
  return 0;
}
const int kRegistered = RegisterPatterns();

}  // namespace

BENCHMARK_MAIN();
