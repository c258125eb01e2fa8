// iconv wrappers for CP932. One converter per direction and thread, opened on first use.
#include "platform/cp932.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace Platform {
namespace {

class TIconv {
 public:
  TIconv(const char* to, const char* from) : Handle(iconv_open(to, from)) {
    if (Handle == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
  }
  ~TIconv() { iconv_close(Handle); }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;

  // Converts as much as it can; returns false at the first sequence it cannot convert,
  // leaving `in` at that sequence.
  bool Convert(std::string_view& in, std::string& out) {
    iconv(Handle, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buf[4096];
    bool ok = true;
    while (srcLeft > 0) {
      char* dst = buf;
      size_t dstLeft = sizeof buf;
      size_t r = iconv(Handle, &src, &srcLeft, &dst, &dstLeft);
      out.append(buf, dst - buf);
      if (r == static_cast<size_t>(-1) && errno != E2BIG) {
        ok = false;
        break;
      }
    }
    in = std::string_view(src, srcLeft);
    return ok;
  }

 private:
  iconv_t Handle;
};

}  // namespace

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
  thread_local TIconv conv("CP932", "UTF-8");
  std::string out;
  out.reserve(utf8.size());
  if (!conv.Convert(utf8, out)) return std::nullopt;
  return out;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  // ASCII reads the same in both; most result lines of source code are ASCII only.
  if (std::all_of(cp932.begin(), cp932.end(), [](char c) { return (c & 0x80) == 0; }))
    return std::string(cp932);
  thread_local TIconv conv("UTF-8", "CP932");
  std::string out;
  out.reserve(cp932.size() + cp932.size() / 2);
  while (!conv.Convert(cp932, out)) {
    // Skip one undefined byte (a lead byte with a bad trail is skipped alone, so the
    // trail byte gets its own chance as a character).
    out += "\xEF\xBF\xBD";
    cp932.remove_prefix(1);
  }
  return out;
}

}  // namespace Platform
