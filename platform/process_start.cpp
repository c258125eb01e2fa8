#include "platform/process_start.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

extern char** environ;

namespace Platform {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Where execvp would find `program`: as it is when it holds a "/", else the first
// executable file of that name in a folder of PATH. Found here, before the fork, where
// allocating is still allowed.
std::string FindProgram(const std::string& program) {
  if (program.find('/') != std::string::npos) return program;
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

  // The grandchild tells through this pipe why exec failed; it closes unread when exec
  // succeeds.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return false;
  const pid_t child = fork();
  if (child < 0) {
    close(report[0]);
    close(report[1]);
    return false;
  }
  if (child == 0) {
    // Only async-signal-safe calls from here on: the window has other threads. The
    // middle process ends at once, so the program is nobody's child to wait for.
    setsid();
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      execve(program.c_str(), args.data(), environ);
      const int error = errno;
      [[maybe_unused]] const ssize_t n = write(report[1], &error, sizeof error);
      _exit(127);
    }
    _exit(grandchild < 0 ? 1 : 0);
  }
  close(report[1]);
  int status = 0;
  RetryOnInterrupt([&] { return waitpid(child, &status, 0); });
  int error = 0;
  const ssize_t n = RetryOnInterrupt([&] { return read(report[0], &error, sizeof error); });
  close(report[0]);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

}  // namespace Platform
