// TIconv: one converter of the C library's iconv, opened for one pair of encodings and
// closed with the object. Shared by the CP932 conversions and the code tables that are
// built through it.
#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

namespace varsik {

namespace Platform {

class TIconv {
 public:
  // Raises std::runtime_error when the C library has no such conversion.
  TIconv(const char* to, const char* from);
  ~TIconv();
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;

  // Converts as much as it can, from the converter's initial state; returns false at the
  // first sequence it cannot convert, leaving `in` at that sequence.
  bool Convert(std::string_view& in, std::string& out);

 private:
  iconv_t Handle;
};

}  // namespace Platform

}  // namespace varsik
