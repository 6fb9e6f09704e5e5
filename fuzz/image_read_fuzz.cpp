// Image files as untrusted bytes, read as `velmora render` reads its input: the first byte
// picks the file name's extension (the reader tried first; OpenImageIO tries the others when
// it fails), the second the processing depth, the rest is the file. The file is read into a
// host world or refused with the tool's one-line error; a float world holds only finite
// samples; and what was read is written to every output format velmora names and to the file's
// own, as a render to a file of each kind writes it (every window the reader takes must suit
// every writer).

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/image/image_io.h"
#include "cli/report/cli_error.h"
#include "fuzz/fuzz_input.h"

namespace {

// The formats velmora names, then the other stills OpenImageIO reads here.
const char* const kExtensions[] = {"png", "jpg", "tif", "exr", "dpx", "bmp",  "cin",
                                   "dds", "gif", "hdr", "ico", "iff", "jp2",  "pnm",
                                   "psd", "rla", "sgi", "pic", "tga", "webp", "fits"};
constexpr std::size_t kOutputFormats = 5;  // the first five: those velmora names

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(Folder(), ignored);
    });
    return std::filesystem::path(pattern);
  }();
  return folder;
}

void CheckFinite(const hostsim::World& world) {
  if (world.depth != hostsim::Depth::k32) return;
  for (A_long y = 0; y < world.height(); ++y) {
    const PF_PixelFloat* pixel = world.pixel<PF_PixelFloat>(0, y);
    for (A_long x = 0; x < world.width(); ++x, ++pixel) {
      if (!std::isfinite(pixel->alpha) || !std::isfinite(pixel->red) ||
          !std::isfinite(pixel->green) || !std::isfinite(pixel->blue)) {
        std::abort();
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velmora_fuzz::FuzzInput input(data, size);
  const std::string extension = kExtensions[input.Byte() % std::size(kExtensions)];
  cli::ReadOptions options;
  options.depth = static_cast<hostsim::Depth>(1 + input.Byte() % 3);
  options.max_memory = std::uint64_t{256} << 20;  // a header may declare any size
  const auto bytes = input.Rest();
  const std::filesystem::path path = Folder() / ("in." + extension);
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  hostsim::WorldStore store;
  try {
    cli::InputFrame frame = cli::ReadImage(path, options, store);
    CheckFinite(*frame.world);
    cli::WriteOptions write;
    write.software = "velmora fuzz";
    write.command = "velmora render in out";
    // The formats velmora names, and the input's own when it is another.
    std::vector<std::string> outputs(kExtensions, kExtensions + kOutputFormats);
    if (std::find(outputs.begin(), outputs.end(), extension) == outputs.end()) {
      outputs.push_back(extension);
    }
    for (const std::string& out : outputs) {
      const std::filesystem::path written = Folder() / ("out." + out);
      try {
        cli::WriteImage(written, *frame.world, frame.source.layer_rect.x, frame.source.layer_rect.y,
                        frame.source, write);
      } catch (const cli::CliError&) {
      }
      std::error_code ignored;
      std::filesystem::remove(written, ignored);
    }
  } catch (const cli::CliError&) {
  }
  return 0;
}
