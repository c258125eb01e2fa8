// TQueuedSink between a search thread that writes and a window thread that takes: every
// line arrives once, in order, with the headers where they stand; the search waits at an
// error box until it is resumed, and in lockstep at every poll point; a release lets go
// of every wait; the window hears of a block of results once until it takes it; the lines
// waiting for the window are bounded.
#include "window/queued_sink.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

using namespace varsik;

namespace {

// What the window has taken: the results and file list as they would stand.
struct TTaken {
  std::string Results, Files;
  std::vector<int> HeaderLines;
  int Lines = 0;
  void Add(const TQueuedSink::TBatch& batch) {
    Results += batch.Results;
    Files += batch.Files;
    for (int line : batch.HeaderLines) HeaderLines.push_back(Lines + line);
    Lines += batch.ResultLines;
  }
};

TQueuedSink::TBatch Take(TQueuedSink& sink) {
  TQueuedSink::TBatch batch;
  sink.Take(batch);
  return batch;
}

}  // namespace

TEST(QueuedSink, EveryLineArrivesOnceInOrderWhileTheSearchWrites) {
  TQueuedSink sink;
  sink.Begin(false);
  constexpr int kFiles = 2000;
  std::thread search([&] {
    for (int f = 0; f < kFiles; ++f) {
      const std::string path = "/t/" + std::to_string(f) + ".txt";
      sink.ShowCurrentFile(path);
      sink.AppendFileName(path);
      sink.AppendFileHeader(path);
      for (int line = 1; line <= f % 5; ++line) {
        sink.AppendLineEntry(TLineEntry(line, "text", line == 3));
        sink.ProcessEvents();
      }
    }
    sink.Finish();
  });
  // The window's batch goes back and forth, as the window keeps it.
  TTaken taken;
  TQueuedSink::TBatch batch;
  while (!sink.State().Finished) {
    sink.Take(batch);
    taken.Add(batch);
  }
  sink.Take(batch);
  taken.Add(batch);
  search.join();

  TTaken expected;
  for (int f = 0; f < kFiles; ++f) {
    const std::string path = "/t/" + std::to_string(f) + ".txt";
    expected.Files += path + "\n";
    expected.HeaderLines.push_back(expected.Lines++);
    expected.Results += "#\"" + path + "\"\n";
    for (int line = 1; line <= f % 5; ++line, ++expected.Lines)
      expected.Results += " :" + std::to_string(line) + ": text" + (line == 3 ? "…" : "") + "\n";
  }
  EXPECT_EQ(taken.Files, expected.Files);
  EXPECT_EQ(taken.Results, expected.Results);
  EXPECT_EQ(taken.HeaderLines, expected.HeaderLines);
  EXPECT_EQ(sink.HeaderPath("\"/t/7.txt\""), "/t/7.txt");
}

TEST(QueuedSink, TheSearchWaitsAtAnErrorBoxAndInLockstepAtEveryPoll) {
  for (bool lockstep : {false, true}) {
    TQueuedSink sink;
    sink.Begin(lockstep);
    std::atomic<int> step{0};
    std::thread search([&] {
      sink.AppendErrorLine("/t/bad");
      sink.ShowFileError("/t/bad");
      step = 1;
      sink.ProcessEvents();
      step = 2;
      sink.Finish();
    });
    sink.WaitForTurn();
    EXPECT_EQ(sink.State().Wait, TQueuedSink::TWait::ErrorBox);
    EXPECT_EQ(sink.State().ErrorPath, "/t/bad");
    EXPECT_EQ(Take(sink).ResultLines, 1);
    EXPECT_EQ(step, 0);
    sink.Resume();
    sink.WaitForTurn();
    if (lockstep) {
      EXPECT_EQ(sink.State().Wait, TQueuedSink::TWait::Poll);
      EXPECT_EQ(step, 1);
      sink.Resume();
    }
    search.join();
    EXPECT_EQ(step, 2);
    EXPECT_TRUE(sink.State().Finished);
  }
}

TEST(QueuedSink, AReleaseLetsGoOfEveryWait) {
  TQueuedSink sink;
  sink.Begin(true);
  std::thread search([&] {
    sink.ShowFileError("/t/bad");
    for (int i = 0; i < 100; ++i) sink.ProcessEvents();
    sink.Finish();
  });
  sink.WaitForTurn();
  sink.Release();
  search.join();
  EXPECT_TRUE(sink.State().Finished);
}

TEST(QueuedSink, TheWindowHearsOfABlockOfResultsOnceUntilItTakesIt) {
  TQueuedSink sink;
  sink.Begin(false);
  int told = 0;
  sink.OnResultsReady([&] { ++told; });
  const std::string text(1000, 'x');
  int lines = 0;
  // Lines until the window is told, then as many again: it is not told twice.
  while (told == 0) {
    sink.AppendLineEntry(TLineEntry(++lines, text, false));
    EXPECT_EQ(sink.State().ResultsReady, told > 0);
  }
  EXPECT_GT(lines, 10);
  for (int i = 0; i < lines; ++i) sink.AppendLineEntry(TLineEntry(i, text, false));
  EXPECT_EQ(told, 1);
  // Taken, the lines waiting make a block again.
  EXPECT_EQ(Take(sink).ResultLines, 2 * lines);
  EXPECT_FALSE(sink.State().ResultsReady);
  sink.AppendFileName(text);
  EXPECT_EQ(told, 1);
  for (int i = 0; told == 1 && i < 2 * lines; ++i) sink.AppendFileName(text);
  EXPECT_EQ(told, 2);
}

// A search that puts lines out without a poll between them (the parallel search's
// writer) still waits while the window has a couple of MB to take: the window took
// batches of 30 MB, and held its thread for up to a second putting each into the view.
TEST(QueuedSink, WhileTheWindowTakesTheLinesTheyWaitWithinABound) {
  TQueuedSink sink;
  sink.Begin(false);
  sink.OnResultsReady([] {});
  constexpr int kLines = 20'000;
  const std::string text(1000, 'x');
  std::thread search([&] {
    for (int line = 1; line <= kLines; ++line) sink.AppendLineEntry(TLineEntry(line, text, false));
    sink.Finish();
  });
  size_t largest = 0;
  int lines = 0;
  TQueuedSink::TBatch batch;
  for (bool finished = false; !finished;) {
    finished = sink.State().Finished;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    sink.Take(batch);
    largest = std::max(largest, batch.Results.size());
    lines += batch.ResultLines;
  }
  search.join();
  sink.OnResultsReady(nullptr);
  EXPECT_EQ(lines, kLines);
  EXPECT_LE(largest, size_t{3} << 20);
}

TEST(QueuedSink, ASearchKnowsItsOwnHeadersOnly) {
  TQueuedSink sink;
  for (int search = 0; search < 3; ++search) {
    sink.Begin(false);
    const std::string path = "/t/" + std::to_string(search);
    sink.AppendFileHeader(path);
    EXPECT_EQ(sink.HeaderPath("\"" + path + "\""), path);
    if (search > 0) {
      const std::string last = "\"/t/" + std::to_string(search - 1) + "\"";
      EXPECT_EQ(sink.HeaderPath(last), std::nullopt);
      sink.ForgetLastHeaders();
      EXPECT_EQ(sink.HeaderPath(last), std::nullopt);
    }
    EXPECT_EQ(sink.HeaderPath("\"" + path + "\""), path);
  }
}
