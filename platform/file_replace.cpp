#include "platform/file_replace.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <random>

namespace varsik {

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

enum class TReadAll { Read, TooLarge, Failed };

// Reads the rest of `fd` into `contents`, at most `maxBytes`.
TReadAll ReadAll(int fd, std::string& contents, std::uintmax_t maxBytes) {
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return TReadAll::Failed;
    }
    if (n == 0) return TReadAll::Read;
    if (contents.size() + static_cast<size_t>(n) > maxBytes) return TReadAll::TooLarge;
    contents.append(buffer, static_cast<size_t>(n));
  }
}

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

// Whether a file, as lstat or fstat describes it, may be replaced.
TReplaceResult Replaceable(const struct stat& st) {
  if (S_ISLNK(st.st_mode)) return TReplaceResult::Link;
  if (!S_ISREG(st.st_mode)) return TReplaceResult::NotRegular;
  if (st.st_uid != ::geteuid()) return TReplaceResult::NotOwned;
  // The owner's bit, not access(): a file made read-only stays so even for root.
  if ((st.st_mode & S_IWUSR) == 0) return TReplaceResult::ReadOnly;
  return TReplaceResult::Done;
}

// The start of the names of the temporary files that replace `target`.
std::string TemporaryPrefix(const std::filesystem::path& target) {
  std::string prefix(1, '.');
  prefix.append(target.filename().string()).append(".tmp-");
  return prefix;
}

// Removes the temporary files that a replacement killed before its rename left in
// `folder`: regular files of the user's own whose names go on behind `prefix`. Links and
// other users' files are left alone.
void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return;
  const int dirFd = ::dirfd(dir.get());
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name(entry->d_name);
    if (name.size() <= prefix.size() || !name.starts_with(prefix)) continue;
    struct stat st;
    if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        st.st_uid == ::geteuid())
      ::unlinkat(dirFd, entry->d_name, 0);
  }
}

// Creates a new file `prefix` + a random suffix in `folder` for the replacement; -1 on
// failure. The name cannot be guessed beforehand, and a link or file already standing
// under it is never opened (O_EXCL).
int CreateTemporary(const std::string& folder, const std::string& prefix, std::string& tempPath) {
  static constexpr std::string_view kChars =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device random;
  std::uniform_int_distribution<size_t> pick(0, kChars.size() - 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = folder + "/" + prefix;
    for (int i = 0; i < 12; ++i) tempPath += kChars[pick(random)];
    int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
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
  return ReadAll(fd.Get(), contents, maxBytes) == TReadAll::Read ? TReadResult::Read
                                                                 : TReadResult::Unreadable;
}

TReplaceResult ReadFileToReplace(const std::string& path, std::string& contents,
                                 std::uintmax_t maxBytes) {
  contents.clear();
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0)
    return errno == ENOENT || errno == ENOTDIR ? TReplaceResult::Missing : TReplaceResult::Failed;
  if (TReplaceResult r = Replaceable(st); r != TReplaceResult::Done) return r;
  if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) return TReplaceResult::TooLarge;
  // The name may have been replaced since lstat: a link now fails to open, anything
  // else is judged again by what was opened. O_NONBLOCK: a FIFO must not make open wait.
  TFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (fd.Get() < 0) return errno == ELOOP ? TReplaceResult::Link : TReplaceResult::Failed;
  if (::fstat(fd.Get(), &st) != 0) return TReplaceResult::Failed;
  if (TReplaceResult r = Replaceable(st); r != TReplaceResult::Done) return r;
  switch (ReadAll(fd.Get(), contents, maxBytes)) {
    case TReadAll::Read:
      return TReplaceResult::Done;
    case TReadAll::TooLarge:
      return TReplaceResult::TooLarge;
    case TReadAll::Failed:
      break;
  }
  return TReplaceResult::Failed;
}

TReplaceResult ReplaceFile(const std::string& path, std::string_view contents) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  if (target.filename().empty()) {
    errno = EISDIR;
    return TReplaceResult::Failed;
  }
  struct stat old;
  const bool exists = ::lstat(path.c_str(), &old) == 0;
  if (exists) {
    if (TReplaceResult r = Replaceable(old); r != TReplaceResult::Done) return r;
  } else if (errno != ENOENT) {
    return TReplaceResult::Failed;
  }
  const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
  if (!exists) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
      errno = ec.value();
      return TReplaceResult::Failed;
    }
  }

  const std::string prefix = TemporaryPrefix(target);
  RemoveStaleTemporaries(folder, prefix);
  std::string tempPath;
  TFileDescriptor fd(CreateTemporary(folder, prefix, tempPath));
  if (fd.Get() < 0) return TReplaceResult::Failed;
  bool written = WriteAll(fd.Get(), contents) &&
                 (!exists || ::fchmod(fd.Get(), old.st_mode & 07777) == 0) &&
                 ::fsync(fd.Get()) == 0;
  written = fd.Close() && written;
  if (!written || ::rename(tempPath.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(tempPath.c_str());
    errno = error;
    return TReplaceResult::Failed;
  }
  return TReplaceResult::Done;
}

}  // namespace Platform

}  // namespace varsik
