#include "platform/process_start.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <system_error>
#include <thread>

extern char** environ;

namespace varsik {

namespace Platform {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Where execvp would find `program`: as it is when it holds a "/", else the first
// executable file of that name in a folder of PATH; empty when there is none. Checked
// here too because not every C library's posix_spawn reports a failed exec.
std::string FindProgram(const std::string& program) {
  if (program.find('/') != std::string::npos)
    return IsExecutableFile(program) ? program : std::string();
  const char* path = std::getenv("PATH");
  std::string_view folders = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  for (;;) {
    const size_t colon = folders.find(':');
    const std::string_view folder = folders.substr(0, colon);
    std::string candidate(folder.empty() ? "." : folder);
    candidate += '/';
    candidate += program;
    if (IsExecutableFile(candidate)) return candidate;
    if (colon == std::string_view::npos) return {};
    folders.remove_prefix(colon + 1);
  }
}

template <typename TCall>
auto RetryOnInterrupt(TCall call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result == -1 && errno == EINTR);
  return result;
}

}  // namespace

bool StartProgram(const std::vector<std::string>& argv) {
  if (argv.empty() || argv.front().empty()) return false;
  const std::string program = FindProgram(argv.front());
  if (program.empty()) return false;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  // posix_spawn, not fork: the child shares our memory until its exec instead of copying
  // the page tables of all of it, which took over 100 ms once the results view held a
  // few million lines. It runs in a session of its own, and tells when exec failed.
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return false;
  pid_t child = -1;
  const bool started =
      posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID) == 0 &&
      posix_spawn(&child, program.c_str(), nullptr, &attributes, args.data(), environ) == 0;
  posix_spawnattr_destroy(&attributes);
  if (!started) return false;
  // It is our child: a thread of its own waits for it, so that it leaves no zombie
  // whenever it ends.
  try {
    std::thread([child] { RetryOnInterrupt([&] { return waitpid(child, nullptr, 0); }); }).detach();
  } catch (const std::system_error&) {
    // No thread to be had: the program runs all the same, its end is not collected.
  }
  return true;
}

}  // namespace Platform

}  // namespace varsik
