// The events of a parallel search as lines, and the same search one file after another,
// for the tests that compare the two.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "search/errors.h"
#include "shell/file_search.h"
#include "shell/parallel_search.h"

namespace varsik {

using V = std::vector<std::string>;

// The events as one line each: B path, H number text, U, E.
struct TRecorder {
  V Events;
  TParallelSearch::TOutput Output() {
    return {[this](const std::string& path) { Events.push_back("B " + path); },
            [this](const RE_LineInfo_t& hit) {
              Events.push_back("H " + std::to_string(hit.LineNo) + " " + hit.Line +
                               (hit.Cut ? "…" : ""));
              for (const TMatchSpan& m : hit.Matches) {
                Events.back() += " @";
                Events.back() += std::to_string(m.Begin);
                Events.back() += '-';
                Events.back() += std::to_string(m.End);
              }
            },
            [this] { Events.push_back("U"); },
            [this] { Events.push_back("E"); },
            {}};
  }
};

// The files searched one after another, as the one-thread walk does.
inline V OneByOne(const TSearchOptions& options, const TGrepPattern* pattern, const V& paths) {
  TRecorder r;
  TParallelSearch::TOutput out = r.Output();
  TFileSearch search(options, pattern);
  for (const std::string& path : paths) {
    out.Begin(path);
    try {
      search.Search(
          path, [] { return false; }, out.Hit);
    } catch (const EInOutError&) {
      out.Unreadable();
    }
    out.End();
  }
  return r.Events;
}

inline V InParallel(const TSearchOptions& options, const TGrepPattern* pattern, const V& paths,
                    int threads) {
  TRecorder r;
  std::atomic<bool> cancel{false};
  TParallelSearch search(options, pattern, threads, cancel, r.Output());
  for (const std::string& path : paths) EXPECT_TRUE(search.Add(path));
  search.Finish();
  return r.Events;
}

// The events of a stopped search against those of the whole search: the complete output
// up to a line, then the end of that line's file and nothing more. What was found before
// the stop may all go out: then the output is complete up to a file.
inline void ExpectStoppedOutput(const V& events, const V& all, int stop) {
  size_t i = 0;
  while (i < events.size() && i < all.size() && events[i] == all[i]) ++i;
  if (i < events.size()) {
    EXPECT_EQ(events[i], "E") << stop;
    EXPECT_EQ(i + 1, events.size()) << stop;
    EXPECT_EQ(all[i][0], 'H') << stop;
  }
}

}  // namespace varsik
