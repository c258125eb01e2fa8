// Helpers shared by the fuzz targets: a scratch folder for the files that an input
// becomes, and a check that stops the run with a message (libFuzzer then saves the input).
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace varsik {

namespace FuzzSupport {

// A folder of this process, removed at exit; on tmpfs when there is one, because some
// targets write (and flush) a file for every input.
inline const std::string& ScratchFolder() {
  static const std::string folder = [] {
    std::string base = std::filesystem::is_directory("/dev/shm")
                           ? "/dev/shm"
                           : std::filesystem::temp_directory_path().string();
    std::string tmpl = base + "/varsik-fuzz-XXXXXX";
    if (!mkdtemp(tmpl.data())) {
      std::perror("mkdtemp");
      std::abort();
    }
    static std::string removeAtExit = tmpl;
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(removeAtExit, ec);
    });
    return tmpl + "/";
  }();
  return folder;
}

// Replaces the file `name` of the scratch folder by `bytes`; returns its path.
inline std::string WriteScratchFile(const std::string& name, std::string_view bytes) {
  std::string path = ScratchFolder() + name;
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  bool ok = fd >= 0;
  for (size_t done = 0; ok && done < bytes.size();) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    ok = n > 0;
    done += ok ? static_cast<size_t>(n) : 0;
  }
  if (fd >= 0) ::close(fd);
  if (!ok) {
    std::perror(path.c_str());
    std::abort();
  }
  return path;
}

// Bytes as C-escaped text, for messages.
inline std::string Escaped(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

[[noreturn]] inline void Fail(const std::string& message) {
  std::fprintf(stderr, "fuzz check failed: %s\n", message.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace FuzzSupport

}  // namespace varsik
