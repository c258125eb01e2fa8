// Helpers for the hostile-input tests: searches run through the driver with a sink that
// can change the tree at the moment a file is taken up, a child process that runs as the
// user nobody (root reads every folder whatever its mode), free space and memory checks,
// and removal of trees whose paths are too long for the usual calls.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "shell/search_driver.h"
#include "tests/support/recording_sink.h"

namespace varsik {

namespace Hostile {

using V = std::vector<std::string>;

// A recording sink that also runs a hook when a file is taken up, after the walk has
// listed it and before it is opened.
class TRaceSink : public TRecordingSink {
 public:
  std::function<void(const std::string& path)> OnTakeUp;
  void ShowCurrentFile(const std::string& path) override {
    TRecordingSink::ShowCurrentFile(path);
    if (OnTakeUp) OnTakeUp(path);
  }
};

inline TSearchOptions Options(const std::string& folder, const std::string& word,
                              const std::string& masks = "*.*", bool regex = false) {
  TSearchOptions o;
  o.FolderText = folder;
  o.Word = word;
  o.Masks = masks;
  o.Switches.RegularExpSearch = regex;
  return o;
}

// What a search left in its sink.
struct TOutcome {
  V Results;
  V Files;
  bool operator==(const TOutcome&) const = default;
};

inline TOutcome Search(const TSearchOptions& options, TRaceSink& sink) {
  TSearchDriver driver(sink);
  driver.Run(options);
  return {sink.Results, sink.Files};
}

inline TOutcome Search(const TSearchOptions& options) {
  TRaceSink sink;
  return Search(options, sink);
}

// Lines packed with their lengths, so that any bytes survive the pipe.
inline void Pack(std::string& out, const V& lines) {
  out += std::to_string(lines.size()) + '\n';
  for (const std::string& line : lines) out += std::to_string(line.size()) + '\n' + line;
}

inline V Unpack(const std::string& in, size_t& pos) {
  auto number = [&] {
    const size_t nl = in.find('\n', pos);
    const size_t n = std::stoul(in.substr(pos, nl - pos));
    pos = nl + 1;
    return n;
  };
  V lines(number());
  for (std::string& line : lines) {
    const size_t length = number();
    line = in.substr(pos, length);
    pos += length;
  }
  return lines;
}

constexpr uid_t kNobody = 65534;

// Runs the search as the user nobody in a child process when this process is root, in
// this process otherwise. The tree must be readable by others except where a test takes
// that away. Sets `failed`, and returns nothing, when the child did not finish normally.
inline TOutcome SearchUnprivileged(const TSearchOptions& options, bool& failed) {
  failed = false;
  if (geteuid() != 0) return Search(options);
  int fds[2];
  if (pipe(fds) != 0) {
    failed = true;
    return {};
  }
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(3);
    const TOutcome outcome = Search(options);
    std::string packed;
    Pack(packed, outcome.Results);
    Pack(packed, outcome.Files);
    for (size_t done = 0; done < packed.size();) {
      const ssize_t n = write(fds[1], packed.data() + done, packed.size() - done);
      if (n <= 0) _exit(4);
      done += static_cast<size_t>(n);
    }
    _exit(0);
  }
  close(fds[1]);
  std::string packed;
  char buffer[65536];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) packed.append(buffer, n);
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (child < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    failed = true;
    return {};
  }
  size_t pos = 0;
  TOutcome outcome;
  outcome.Results = Unpack(packed, pos);
  outcome.Files = Unpack(packed, pos);
  return outcome;
}

// Free bytes on the file system that holds `path`; 0 when unknown.
inline uint64_t FreeBytes(const std::string& path) {
  struct statvfs fs;
  if (statvfs(path.c_str(), &fs) != 0) return 0;
  return static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
}

// Memory that can be had without swapping, from /proc/meminfo; 0 when unknown.
inline uint64_t AvailableMemory() {
  FILE* f = fopen("/proc/meminfo", "r");
  if (!f) return 0;
  char line[256];
  uint64_t kb = 0;
  while (fgets(line, sizeof line, f))
    if (sscanf(line, "MemAvailable: %lu kB", &kb) == 1) break;
  fclose(f);
  return kb * 1024;
}

// Removes the entry `name` of the folder `dirFd` and everything in it, one level at a
// time through descriptors, so that no path length limit applies.
inline void RemoveAt(int dirFd, const char* name) {
  const int fd = openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) {
    if (DIR* dir = fdopendir(fd)) {
      std::vector<std::string> names;
      while (const dirent* e = readdir(dir))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
          names.emplace_back(e->d_name);
      for (const std::string& n : names) RemoveAt(dirfd(dir), n.c_str());
      closedir(dir);
    } else {
      close(fd);
    }
    unlinkat(dirFd, name, AT_REMOVEDIR);
  } else {
    unlinkat(dirFd, name, 0);
  }
}

}  // namespace Hostile

}  // namespace varsik
