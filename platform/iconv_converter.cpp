#include "platform/iconv_converter.h"

#include <cerrno>
#include <stdexcept>

namespace varsik {

namespace Platform {

TIconv::TIconv(const char* to, const char* from) : Handle(iconv_open(to, from)) {
  if (Handle == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
}

TIconv::~TIconv() {
  iconv_close(Handle);
}

bool TIconv::Convert(std::string_view& in, std::string& out) {
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

}  // namespace Platform

}  // namespace varsik
