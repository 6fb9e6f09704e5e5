#include "tests/cli/cli_runner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace velmora_test {
namespace {

std::string Quoted(const std::string& word) {
  std::string quoted(1, '\'');
  for (char c : word) {
    if (c == '\'') {
      quoted.append("'\\''");
    } else {
      quoted.push_back(c);
    }
  }
  quoted.push_back('\'');
  return quoted;
}

}  // namespace

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

RunResult RunVelmora(const std::vector<std::string>& args, const std::string& shell_setup) {
  ScratchFolder capture;
  std::string command = shell_setup + Quoted(VELMORA_CLI_PATH);
  for (const std::string& arg : args) {
    command.push_back(' ');
    command.append(Quoted(arg));
  }
  command.append(" >");
  command.append(Quoted((capture / "out").string()));
  command.append(" 2>");
  command.append(Quoted((capture / "err").string()));
  const int raw = std::system(command.c_str());
  RunResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadBytes(capture / "out");
  result.err = ReadBytes(capture / "err");
  return result;
}

ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "velmora-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder");
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ScratchFolder::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void WriteFixture(const std::filesystem::path& path, const OIIO::ImageSpec& spec,
                  const std::function<float(int x, int y, int c)>& value) {
  std::vector<float> values(static_cast<std::size_t>(spec.width) * spec.height * spec.nchannels);
  for (int y = 0; y < spec.height; ++y) {
    for (int x = 0; x < spec.width; ++x) {
      for (int c = 0; c < spec.nchannels; ++c) {
        values[(static_cast<std::size_t>(y) * spec.width + x) * spec.nchannels + c] =
            value(x, y, c);
      }
    }
  }
  OIIO::ImageSpec file_spec = spec;
  // Files take the values as they are: no premultiplication on the way out.
  auto file = OIIO::ImageOutput::create(path.string());
  if (file && file_spec.alpha_channel >= 0 && std::string(file->format_name()) != "openexr") {
    file_spec.attribute("oiio:UnassociatedAlpha", 1);
  }
  if (!file || !file->open(path.string(), file_spec) ||
      !file->write_image(OIIO::TypeDesc::FLOAT, values.data()) || !file->close()) {
    throw std::runtime_error("cannot write fixture " + path.string() + ": " + OIIO::geterror());
  }
}

Pixels ReadPixels(const std::filesystem::path& path) {
  OIIO::ImageSpec config;
  config.attribute("oiio:UnassociatedAlpha", 1);
  auto file = OIIO::ImageInput::open(path.string(), &config);
  if (!file) throw std::runtime_error("cannot open " + path.string() + ": " + OIIO::geterror());
  Pixels pixels;
  pixels.spec = file->spec();
  pixels.values.resize(static_cast<std::size_t>(pixels.spec.width) * pixels.spec.height *
                       pixels.spec.nchannels);
  if (!file->read_image(0, 0, 0, pixels.spec.nchannels, OIIO::TypeDesc::FLOAT,
                        pixels.values.data())) {
    throw std::runtime_error("cannot read " + path.string() + ": " + file->geterror());
  }
  return pixels;
}

}  // namespace velmora_test
