#pragma once
// Decodes the effect's code page 936 texts back to UTF-8 with the C library's iconv, so
// tests compare them with the texts as written.

#include <iconv.h>

#include <stdexcept>
#include <string>

namespace velmora::testing {

inline std::string Cp936ToUtf8(const std::string& cp936) {
  iconv_t cd = iconv_open("UTF-8", "CP936");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv: no CP936");
  std::string out(cp936.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(cp936.data());
  std::size_t in_left = cp936.size();
  char* dst = out.data();
  std::size_t out_left = out.size();
  const std::size_t converted = iconv(cd, &in, &in_left, &dst, &out_left);
  iconv_close(cd);
  if (converted == static_cast<std::size_t>(-1)) throw std::runtime_error("iconv: bad CP936 bytes");
  out.resize(out.size() - out_left);
  return out;
}

}  // namespace velmora::testing
