#include "text/cp936.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace text {

std::string Cp936ToUtf8(const std::string& bytes) {
  iconv_t converter = iconv_open("UTF-8", "CP936");
  if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no CP936 converter");
  std::string result;
  std::string input = bytes;
  char* in = input.data();
  std::size_t in_left = input.size();
  while (in_left > 0) {
    char buffer[256];
    char* out = buffer;
    std::size_t out_left = sizeof buffer;
    const std::size_t status = iconv(converter, &in, &in_left, &out, &out_left);
    result.append(buffer, static_cast<std::size_t>(out - buffer));
    if (status == static_cast<std::size_t>(-1) && errno != E2BIG) {
      result += "\xEF\xBF\xBD";  // skip one byte that does not decode
      ++in;
      --in_left;
    }
  }
  iconv_close(converter);
  return result;
}

}  // namespace text
