#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>

namespace Platform {
namespace {

// Closes the descriptor on every way out.
class TFileDescriptor {
 public:
  explicit TFileDescriptor(int fd) : Fd(fd) {}
  ~TFileDescriptor() {
    if (Fd >= 0) ::close(Fd);
  }
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;

  int Get() const { return Fd; }
  // Closes now and reports whether the close succeeded (it can report a late write error).
  bool Close() {
    int fd = Fd;
    Fd = -1;
    return ::close(fd) == 0;
  }

 private:
  int Fd;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Opens a new, unique file beside `target` for the replacement; -1 on failure.
int OpenTemporaryBeside(const std::filesystem::path& target, std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path folder = target.parent_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name(".");
    name.append(target.filename().string())
        .append(".tmp-")
        .append(std::to_string(getpid()))
        .append("-")
        .append(std::to_string(counter++));
    tempPath = (folder / name).string();
    int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

TReadResult ReadWholeFile(const std::string& path, std::string& contents, std::uintmax_t maxBytes) {
  contents.clear();
  struct stat st;
  if (::stat(path.c_str(), &st) != 0)
    return errno == ENOENT || errno == ENOTDIR ? TReadResult::Missing : TReadResult::Unreadable;
  if (!S_ISREG(st.st_mode) || static_cast<std::uintmax_t>(st.st_size) > maxBytes)
    return TReadResult::Unreadable;
  // O_NONBLOCK: should the name have been replaced by a FIFO since stat, open must not wait.
  TFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
    return TReadResult::Unreadable;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return TReadResult::Unreadable;
    }
    if (n == 0) break;
    if (contents.size() + static_cast<size_t>(n) > maxBytes) return TReadResult::Unreadable;
    contents.append(buffer, static_cast<size_t>(n));
  }
  return TReadResult::Read;
}

bool ReplaceFile(const std::string& path, std::string_view contents) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path target(path);
  // A settings file that is a link to one kept elsewhere stays a link: write its target.
  if (fs::is_symlink(target, ec)) {
    target = fs::weakly_canonical(target, ec);
    if (ec) return false;
  }
  if (target.filename().empty()) return false;
  if (target.has_parent_path()) {
    fs::create_directories(target.parent_path(), ec);
    if (ec) return false;
  }

  struct stat old;
  bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists) {
    // A file made read-only by its owner is left as it is, as a direct write would.
    if (!S_ISREG(old.st_mode) || ::access(target.c_str(), W_OK) != 0) return false;
  } else if (errno != ENOENT) {
    return false;
  }

  std::string tempPath;
  TFileDescriptor fd(OpenTemporaryBeside(target, tempPath));
  if (fd.Get() < 0) return false;
  bool written = WriteAll(fd.Get(), contents) &&
                 (!exists || ::fchmod(fd.Get(), old.st_mode & 07777) == 0) &&
                 ::fsync(fd.Get()) == 0;
  written = fd.Close() && written;
  if (!written || ::rename(tempPath.c_str(), target.c_str()) != 0) {
    ::unlink(tempPath.c_str());
    return false;
  }
  return true;
}

}  // namespace Platform
