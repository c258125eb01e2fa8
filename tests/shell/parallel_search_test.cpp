// TParallelSearch against the same searches one file after another: the same events, in
// walk order, for every number of threads, both modes, files with and without hits, files
// that cannot be read, results larger than the budget in pieces; and a stop.
#include "shell/parallel_search.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "search/errors.h"
#include "search/grep.h"
#include "shell/file_search.h"
#include "tests/support/parallel_events.h"
#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

class ParallelSearchTest : public ::testing::Test {
 protected:
  // Files of random lines, a few of them holding the word many times, one missing.
  V MakeTree(int files) {
    std::mt19937 rng(42);
    V paths;
    for (int f = 0; f < files; ++f) {
      std::string text;
      const int lines = static_cast<int>(rng() % 40);
      const bool busy = f % 7 == 3;
      for (int l = 0; l < lines; ++l) {
        text += "line " + std::to_string(l);
        if (busy || rng() % 10 == 0) text += " needle";
        if (busy) text += std::string(rng() % 3000, 'x');
        text += rng() % 5 == 0 ? "\r\n" : "\n";
      }
      // Appended piece by piece: GCC 12 warns wrongly about a chain of + on temporaries.
      std::string name = "f";
      name += std::to_string(f);
      name += ".txt";
      paths.push_back(Dir.Write(name, text));
      if (f % 13 == 5) paths.push_back(Dir.Path() + "missing" + std::to_string(f) + ".txt");
    }
    return paths;
  }
  // In plain mode and with the tests' regular expression, the parallel search with each
  // of `threads` gives the events of the one-by-one search, which `check` looks at first.
  void ExpectSameInBothModes(const TSearchOptions& options, const V& paths,
                             std::initializer_list<int> threads,
                             const std::function<void(const V&)>& check = {}) {
    TGrep grep;
    grep.SetRegExp("ne+dle|line 1[0-9]$");
    const TGrepPattern regex = grep.SharedPattern();
    for (const TGrepPattern* pattern : {static_cast<const TGrepPattern*>(nullptr), &regex}) {
      const V expected = OneByOne(options, pattern, paths);
      if (check) check(expected);
      for (int n : threads)
        EXPECT_EQ(InParallel(options, pattern, paths, n), expected) << n << " threads";
    }
  }
  TTempDir Dir;
};

}  // namespace

TEST_F(ParallelSearchTest, EventsInWalkOrderForEveryNumberOfWorkers) {
  const V paths = MakeTree(120);
  TSearchOptions plain;
  plain.Word = "needle";
  plain.MaxLineBytes = 100;
  ExpectSameInBothModes(plain, paths, {1, 2, 3, 8},
                        [&](const V& expected) { ASSERT_GT(expected.size(), paths.size() * 3); });
}

TEST_F(ParallelSearchTest, TheHitsCarryTheirMatchesThroughTheWorkers) {
  const V paths = MakeTree(60);
  TSearchOptions options;
  options.Word = "needle";
  options.MaxLineBytes = 100;
  options.MarkMatches = true;
  ExpectSameInBothModes(options, paths, {1, 3}, [](const V& expected) {
    int marked = 0;
    for (const std::string& event : expected) marked += event.find(" @") != std::string::npos;
    ASSERT_GT(marked, 60);
  });
}

namespace {

// The threads of this process, from the kernel's count.
int ProcessThreads() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("Threads:", 0) == 0) return std::stoi(line.substr(8));
  return -1;
}

// The count once a thread that has just been joined is gone from it: the kernel (and an
// emulator's threads, in a cross build) may count it for a moment after the join.
int SettledProcessThreads() {
  int count = ProcessThreads();
  for (int steady = 0, polls = 0; steady < 100 && polls < 5000; ++polls) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const int now = ProcessThreads();
    steady = now == count ? steady + 1 : 0;
    count = now;
  }
  return count;
}

}  // namespace

// N threads search: the walk's thread and N - 1 workers. With one, the walk's thread
// searches every file itself, those it runs ahead of and those after the walk's end.
TEST_F(ParallelSearchTest, TheWalksThreadIsOneOfTheSearches) {
  const V paths = MakeTree(700);
  TSearchOptions options;
  options.Word = "needle";
  // A thread first, so that a helper thread that a runtime starts with the first
  // (ThreadSanitizer's) is there before the count.
  std::thread([] {}).join();
  const int before = SettledProcessThreads();
  ASSERT_GT(before, 0);
  for (int threads : {1, 3}) {
    TRecorder r;
    std::atomic<bool> cancel{false};
    const TParallelSearch search(options, nullptr, threads, cancel, r.Output());
    EXPECT_EQ(ProcessThreads(), before + threads - 1) << threads;
  }
  ExpectSameInBothModes(options, paths, {1, 2});
}

// A stop during the search: what is out stays, in walk order, ending with the file whose
// search saw the stop; nothing of a later file.
TEST_F(ParallelSearchTest, AStopEndsTheOutputAtAFile) {
  const V paths = MakeTree(200);
  TSearchOptions options;
  options.Word = "needle";
  const V all = OneByOne(options, nullptr, paths);
  for (int stopAt : {0, 5, 40, 150}) {
    TRecorder r;
    std::atomic<bool> cancel{false};
    TParallelSearch search(options, nullptr, 3, cancel, r.Output());
    int added = 0;
    for (const std::string& path : paths) {
      if (added == stopAt) cancel = true;
      if (!search.Add(path)) break;
      ++added;
    }
    search.Finish();
    ExpectStoppedOutput(r.Events, all, stopAt);
    EXPECT_LE(added, stopAt);
  }
}
