#pragma once
// Running the built velmora binary, and the small image files the end-to-end tests make and
// read back.

#include <OpenImageIO/imageio.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace velmora_test {

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs velmora with the arguments (each passed as one word), after shell_setup if given
// (shell commands such as "ulimit -f 20;").
RunResult RunVelmora(const std::vector<std::string>& args, const std::string& shell_setup = "");

// The whole content of a file.
std::string ReadBytes(const std::filesystem::path& path);

// A fresh folder, removed with everything in it at the end of its scope.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  const std::filesystem::path& path() const { return path_; }
  std::vector<std::string> Names() const;  // what the folder holds, sorted

 private:
  std::filesystem::path path_;
};

// Pixels of a whole image as floats, channel-interleaved, in the file's own scale
// (0..1 for integer files), exactly as the file stores them.
struct Pixels {
  OIIO::ImageSpec spec;
  std::vector<float> values;
  float at(int x, int y, int channel) const {
    return values[(static_cast<std::size_t>(y) * spec.width + x) * spec.nchannels + channel];
  }
};

// Writes an image whose channel c at (x, y) is value(x, y, c), stored as the pixel description
// says. Files with alpha are written as given (no association changes).
void WriteFixture(const std::filesystem::path& path, const OIIO::ImageSpec& spec,
                  const std::function<float(int x, int y, int c)>& value);

Pixels ReadPixels(const std::filesystem::path& path);

}  // namespace velmora_test
