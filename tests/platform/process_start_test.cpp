// Starting the editor of the tag jump: its arguments arrive as the bytes given, and a
// program that does not exist is reported.
#include "platform/process_start.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/temp_dir.h"

using namespace varsik;

namespace {

// The file's bytes once the program has written it (the start does not wait for it).
std::string WaitForFile(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    std::ifstream in(path + ".done", std::ios::binary);
    if (in) {
      std::ifstream file(path, std::ios::binary);
      std::ostringstream bytes;
      bytes << file.rdbuf();
      return bytes.str();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return "(not written)";
}

}  // namespace

TEST(StartProgram, ArgumentsArriveAsTheirBytes) {
  TTempDir dir;
  const std::string out = dir.Path() + "args";
  const std::vector<std::string> values = {"/tmp/bad\xff\xfe.txt", "/tmp/sjis\x83\x5c.txt",
                                           "/tmp/new\nline", "+7", "a b"};
  std::vector<std::string> argv = {"sh", "-c",
                                   "printf '%s\\0' \"$@\" > \"$0\" && touch \"$0.done\"", out};
  argv.insert(argv.end(), values.begin(), values.end());
  ASSERT_TRUE(Platform::StartProgram(argv));
  std::string expected;
  for (const std::string& v : values) expected += v + '\0';
  EXPECT_EQ(WaitForFile(out), expected);
}

// The program leads a session of its own (a terminal closing does not end it) and, once
// it has ended, is gone from the process table: no zombie is left.
TEST(StartProgram, OwnSessionAndNoZombie) {
  TTempDir dir;
  const std::string out = dir.Path() + "ids";
  ASSERT_TRUE(Platform::StartProgram(
      {"sh", "-c", "echo $$ $(ps -o sid= -p $$) > \"$0\" && touch \"$0.done\"", out}));
  std::istringstream ids(WaitForFile(out));
  pid_t pid = 0, session = 0;
  ids >> pid >> session;
  ASSERT_GT(pid, 0);
  EXPECT_EQ(session, pid);
  EXPECT_NE(session, getsid(0));
  const std::string entry = "/proc/" + std::to_string(pid);
  bool gone = false;
  for (int i = 0; i < 500 && !gone; ++i) {
    gone = access(entry.c_str(), F_OK) != 0;
    if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(gone);
}

TEST(StartProgram, NoProgramNoStart) {
  EXPECT_FALSE(Platform::StartProgram({}));
  EXPECT_FALSE(Platform::StartProgram({""}));
  EXPECT_FALSE(Platform::StartProgram({"varsik-no-such-program-here"}));
  EXPECT_FALSE(Platform::StartProgram({"/nonexistent/editor", "/tmp/a"}));
}
