#include "search/input_file.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "search/errors.h"

namespace varsik {

namespace {

std::string SystemMessage(int error) {
  return std::strerror(error);
}

// File systems whose files are made up by the kernel as they are read: their sizes are not
// their lengths, some never end (/proc/self/pagemap), and reading some has effects.
bool IsPseudoType(unsigned long type) {
  switch (type) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case SECURITYFS_MAGIC:
    case PSTOREFS_MAGIC:
    case BPF_FS_MAGIC:
    case EFIVARFS_MAGIC:
    case SELINUX_MAGIC:
    case 0x62656570:  // configfs
      return true;
    default:
      return false;
  }
}

// The answer for the device of the last file opened on this thread is kept: the files of
// a walk come mostly from one file system, and asking for each cost a system call.
bool IsPseudoFileSystem(int fd, dev_t device) {
  thread_local struct {
    bool Known = false;
    dev_t Device = 0;
    bool Pseudo = false;
  } last;
  if (last.Known && last.Device == device) return last.Pseudo;
  struct statfs fs;
  if (::fstatfs(fd, &fs) != 0) return false;
  last = {true, device, IsPseudoType(static_cast<unsigned long>(fs.f_type))};
  return last.Pseudo;
}

}  // namespace

TInputFile::TInputFile(const std::string& fileName) {
  // Not blocking: a name that has turned into a FIFO since the walk listed it must not
  // hang the open.
  Fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (Fd < 0) throw EFileNotFound(SystemMessage(errno));
  struct stat st;
  std::string error;
  if (::fstat(Fd, &st) != 0)
    error = SystemMessage(errno);
  else if (S_ISDIR(st.st_mode))
    error = SystemMessage(EISDIR);
  else if (!S_ISREG(st.st_mode))
    // The walk takes up regular files only; a name that has turned into a FIFO, a
    // device (/dev/zero never ends) or a socket since it was listed is not read.
    error = "Not a regular file";
  else if (IsPseudoFileSystem(Fd, st.st_dev))
    error = "A file that the system makes up as it is read";
  if (!error.empty()) {
    ::close(Fd);
    throw EFileNotFound(error);
  }
  // A regular file is read as far as it reached when it was opened: one that keeps
  // growing while it is read (a log being written, or the command line's own output
  // file in the searched tree) would otherwise never end. A size of 0 is not trusted
  // (files of /proc report it and still have content).
  if (S_ISREG(st.st_mode) && st.st_size > 0) Size = Left = static_cast<uint64_t>(st.st_size);
}

void TInputFile::Seek(uint64_t offset) {
  if (::lseek(Fd, static_cast<off_t>(offset), SEEK_SET) < 0)
    throw EInOutError(SystemMessage(errno));
  PendingByte = -1;
  EndSeen = false;
  Left = Size == UINT64_MAX ? UINT64_MAX : Size - std::min(Size, offset);
}

void TInputFile::ReadRange(uint64_t begin, uint64_t end) {
  Size = std::min(Size, end);
  Seek(begin);
}

size_t TInputFile::ReadAt(uint64_t offset, uint8_t* dest, size_t size) {
  if (Size != UINT64_MAX)
    size = static_cast<size_t>(std::min<uint64_t>(size, Size - std::min(Size, offset)));
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(Fd, dest + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EInOutError(SystemMessage(errno));
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

TInputFile::~TInputFile() {
  ::close(Fd);
}

ssize_t TInputFile::ReadOnce(uint8_t* dest, size_t size) {
  if (Left == 0) {
    EndSeen = true;
    return 0;
  }
  const ssize_t n = ::read(Fd, dest, static_cast<size_t>(std::min<uint64_t>(size, Left)));
  if (n > 0) Left -= static_cast<uint64_t>(n);
  if (n == 0 || Left == 0) EndSeen = true;
  return n;
}

size_t TInputFile::ReadFully(uint8_t* dest, size_t size) {
  size_t done = 0;
  while (done < size && !EndSeen) {
    const ssize_t n = ReadOnce(dest + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EInOutError(SystemMessage(errno));
    }
    done += static_cast<size_t>(n);
  }
  return done;
}

size_t TInputFile::ReadBlock(uint8_t* dest, size_t size) {
  if (size == 0) return 0;
  size_t done = 0;
  if (PendingByte >= 0) {
    dest[done++] = static_cast<uint8_t>(PendingByte);
    PendingByte = -1;
  }
  done += ReadFully(dest + done, size - done);
  if (done == size && !EndSeen) {
    uint8_t next;
    if (ReadFully(&next, 1) == 1) PendingByte = next;
  }
  return done;
}

size_t TInputFile::ReadSome(uint8_t* dest, size_t size) {
  if (PendingByte >= 0 && size > 0) {
    dest[0] = static_cast<uint8_t>(PendingByte);
    PendingByte = -1;
    return 1;
  }
  if (EndSeen || size == 0) return 0;
  for (;;) {
    const ssize_t n = ReadOnce(dest, size);
    if (n >= 0) return static_cast<size_t>(n);
    if (errno != EINTR) throw EInOutError(SystemMessage(errno));
  }
}

std::string TInputFile::ReadAll() {
  std::string text;
  if (PendingByte >= 0) {
    text.push_back(static_cast<char>(PendingByte));
    PendingByte = -1;
  }
  struct stat st;
  size_t chunk = 65536;
  if (::fstat(Fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    chunk = static_cast<size_t>(st.st_size) + 1;
  while (!EndSeen) {
    const size_t old = text.size();
    text.resize(old + chunk);
    text.resize(old + ReadFully(reinterpret_cast<uint8_t*>(text.data()) + old, chunk));
  }
  return text;
}

}  // namespace varsik
