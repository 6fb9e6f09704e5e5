// The velmora Python module: the glow on NumPy arrays, the command's render on files, the
// controls table. One more front-end over the engine: the pixels cross into a host world the
// way the command's file reader moves them, so an array and a file of the same values give
// the same result.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/command/render_command.h"
#include "cli/controls/controls.h"
#include "cli/image/world_transfer.h"
#include "cli/info/info_command.h"
#include "engine/comp_options.h"
#include "engine/effect_module.h"
#include "engine/effect_session.h"
#include "engine/error.h"
#include "engine/threads.h"
#include "hostsim/depth.h"
#include "hostsim/memory/pixel_pool.h"
#include "hostsim/parallel.h"

namespace py = pybind11;
using velmora::engine::EffectSession;
using velmora::engine::Error;

namespace {

// The simulated host is one per process: every call takes this, and glow keeps its session
// loaded between calls (render runs its own, so it drops this one first).
std::mutex g_effect_mutex;
std::unique_ptr<EffectSession> g_session;
// The last glow's input world, kept for the next call of the same size and depth: every pixel
// is written again, so frame after frame skips a new world's clearing pass (its padding keeps
// the zeros it was made with; the effect only reads its input). Dropped before its session.
velmora::engine::OwnedWorld g_input;
std::atomic<EffectSession*> g_rendering{nullptr};  // the session a render runs in, to interrupt
std::optional<std::optional<int>> g_threads;       // the thread count last set
std::atomic<double> g_last_render_seconds{0.0};    // the engine's part of the last glow

// The effect for this call, taken without the GIL (a thread holding the effect may be waiting
// for the GIL). A progress callback runs while its render holds the effect: a velmora call
// from it is refused rather than left waiting for itself.
class EffectLock {
 public:
  EffectLock() : lock_(g_effect_mutex, std::defer_lock) {
    if (held_) {
      throw Error("", "velmora cannot be called from a progress callback of velmora.render",
                  velmora::engine::kExitUsage);
    }
    py::gil_scoped_release release;
    lock_.lock();
    held_ = true;
  }
  ~EffectLock() { held_ = false; }
  EffectLock(const EffectLock&) = delete;
  EffectLock& operator=(const EffectLock&) = delete;

 private:
  std::unique_lock<std::mutex> lock_;
  static thread_local bool held_;
};
thread_local bool EffectLock::held_ = false;

EffectSession& Session() {
  if (!g_session)
    g_session = std::make_unique<EffectSession>(velmora::engine::LocateEffectModule(std::nullopt));
  return *g_session;
}

void SetThreadsOnce(std::optional<int> threads) {
  if (g_threads && *g_threads == threads) return;
  g_threads = threads;
  velmora::engine::SetThreads(threads);
}

// Runs work on a thread of its own while the caller, without the GIL, waits; between waits it
// lets Python see its signals (KeyboardInterrupt on the main thread) and calls poll. A signal
// or an exception from poll interrupts the render through the host's abort check, and is
// raised once the work has stopped.
void RunInterruptible(const std::function<void()>& work, const std::function<void()>& poll = {}) {
  std::packaged_task<void()> task(work);
  std::future<void> done = task.get_future();
  std::thread worker(std::move(task));
  std::optional<py::error_already_set> raised;
  for (;;) {
    bool finished;
    {
      py::gil_scoped_release release;
      finished = done.wait_for(std::chrono::milliseconds(50)) == std::future_status::ready;
    }
    if (!raised) {
      try {
        if (poll) poll();
        if (PyErr_CheckSignals() != 0) throw py::error_already_set();
      } catch (py::error_already_set& error) {
        raised.emplace(std::move(error));
        if (EffectSession* session = g_rendering.load()) session->Interrupt();
      }
    }
    if (finished) break;
  }
  {
    py::gil_scoped_release release;
    worker.join();
  }
  if (raised) {
    try {
      done.get();
    } catch (...) {
    }
    throw std::move(*raised);
  }
  done.get();
}

// Rows in bands over the host's worker threads: converting a frame on one thread while the
// render runs on all of them would cost a large share of a frame's time.
template <class Row>
void ForEachRowBand(int first, int end, const Row& row) {
  constexpr int kBand = 16;
  if (end <= first) return;
  hostsim::ParallelFor((end - first + kBand - 1) / kBand, [&](std::int64_t band, int) {
    const int from = first + static_cast<int>(band) * kBand;
    for (int y = from; y < std::min(end, from + kBand); ++y) row(y);
  });
}

// ---- controls given as keywords, turned into the command's text settings ----

std::string Text(const py::handle& value) {
  if (py::isinstance<py::bool_>(value)) return value.cast<bool>() ? "true" : "false";
  // As Python writes a float, whatever its subclass (NumPy's float64 reprs itself otherwise).
  if (py::isinstance<py::float_>(value))
    return py::repr(py::float_(value.cast<double>())).cast<std::string>();
  if (py::isinstance<py::str>(value)) return value.cast<std::string>();
  if (py::isinstance<py::int_>(value)) return py::str(value).cast<std::string>();
  return py::str(value).cast<std::string>();
}

// The tint: None leaves the default, False or "off" switches it off, a colour as the command
// writes it ("#ff8000", "1,0.5,0") or as a sequence of 3 or 4 numbers from 0 to 1.
std::string TintText(const py::handle& value) {
  if (py::isinstance<py::bool_>(value)) return value.cast<bool>() ? "true" : "off";
  if (py::isinstance<py::str>(value)) return value.cast<std::string>();
  if (py::isinstance<py::sequence>(value)) {
    std::string text;
    for (const py::handle item : value.cast<py::sequence>()) {
      if (!text.empty()) text += ",";
      text += Text(item);
    }
    return text;
  }
  return Text(value);
}

void AddSetting(cli::ControlSettings& settings, const std::string& keyword,
                const py::handle& value) {
  std::string name = keyword;
  std::replace(name.begin(), name.end(), '_', '-');
  if (name == "tint-color") name = "tint";
  if (!cli::FindControl(name) && !cli::IsCompOption(name)) {
    std::vector<std::string> names;
    for (const cli::Control& control : cli::Controls()) names.emplace_back(control.name);
    for (const std::string_view comp : cli::CompOptionNames()) names.emplace_back(comp);
    std::string known;
    for (std::string& shown : names) {
      std::replace(shown.begin(), shown.end(), '-', '_');
      known += (known.empty() ? "" : ", ") + shown;
    }
    throw Error(keyword, "not a control (controls: " + known + ")", velmora::engine::kExitUsage);
  }
  if (value.is_none()) return;
  settings[name] = cli::ControlSetting{name == "tint" ? TintText(value) : Text(value), "--" + name};
}

// ---- arrays ----

struct ArrayLayout {
  OIIO::TypeDesc type;
  hostsim::Depth depth;
  int channels;
};

ArrayLayout LayoutOf(const py::array& pixels) {
  ArrayLayout layout{};
  const py::dtype dtype = pixels.dtype();
  const char kind = dtype.kind();
  const auto size = dtype.itemsize();
  if (kind == 'u' && size == 1) {
    layout = {OIIO::TypeDesc::UINT8, hostsim::Depth::k8, 0};
  } else if (kind == 'u' && size == 2) {
    layout = {OIIO::TypeDesc::UINT16, hostsim::Depth::k16, 0};
  } else if (kind == 'f' && size == 2) {
    layout = {OIIO::TypeDesc::HALF, hostsim::Depth::k32, 0};
  } else if (kind == 'f' && size == 4) {
    layout = {OIIO::TypeDesc::FLOAT, hostsim::Depth::k32, 0};
  } else {
    throw Error("pixels",
                "arrays of " + py::str(py::object(dtype)).cast<std::string>() +
                    " are not taken (uint8, uint16, float16 or float32)",
                velmora::engine::kExitUsage);
  }
  if (pixels.ndim() == 2) {
    layout.channels = 1;
  } else if (pixels.ndim() == 3 && (pixels.shape(2) == 3 || pixels.shape(2) == 4)) {
    layout.channels = static_cast<int>(pixels.shape(2));
  } else {
    throw Error("pixels",
                "an array of shape (height, width, 4), (height, width, 3) or "
                "(height, width) is needed",
                velmora::engine::kExitUsage);
  }
  if (pixels.shape(0) < 1 || pixels.shape(1) < 1)
    throw Error("pixels", "the array holds no pixels", velmora::engine::kExitUsage);
  return layout;
}

// A C-ordered array whose pixels come from the host's pixel pool, as a world's do: a script
// glowing frame after frame gets the memory an earlier result gave back, not fresh pages to
// fault in (a large share of a frame's copy). Uninitialised: the caller writes every byte.
py::array PooledArray(const py::dtype& dtype, const std::vector<py::ssize_t>& shape) {
  std::size_t bytes = static_cast<std::size_t>(dtype.itemsize());
  for (const py::ssize_t side : shape) bytes *= static_cast<std::size_t>(side);
  auto memory = std::make_unique<hostsim::PixelMemory>(hostsim::AcquirePixelMemory(bytes));
  std::byte* data = memory->get();
  const py::capsule owner(memory.get(),
                          [](void* held) { delete static_cast<hostsim::PixelMemory*>(held); });
  memory.release();  // the capsule owns it now
  return py::array(dtype, shape, data, owner);
}

hostsim::Depth DepthFrom(const py::object& depth, hostsim::Depth array_depth) {
  if (depth.is_none()) return array_depth;
  const std::string text = py::isinstance<py::str>(depth) ? depth.cast<std::string>()
                                                          : py::str(depth).cast<std::string>();
  if (text == "float") return hostsim::Depth::k32;
  if (const std::optional<hostsim::Depth> parsed = hostsim::ParseDepth(text)) return *parsed;
  throw Error("--depth", "'" + text + "' is not one of 8, 16, 32", velmora::engine::kExitUsage);
}

const char* kGlowDoc = R"(Glows an image held in a NumPy array and returns a new array.

pixels: shape (height, width, 4) RGBA, (height, width, 3) RGB or (height, width) grey, of
uint8, uint16 (0..65535), float16 or float32. RGBA colour is premultiplied (associated with
alpha, as OpenEXR holds it) unless premultiplied=False says the array holds straight colour.
Arrays without alpha are opaque. The result has the input's type and channels; its RGBA colour
is premultiplied likewise.

The controls take the values `velmora render` takes: radius (0..500), intensity, mode
("screen" or "add"), tint (None for the default, "off", "#RRGGBB", or (r, g, b[, a]) in 0..1),
tint_mode ("standard", "soft", "light-blend"), unmultiply, gamma, repeat_edges. Around the
effect, as the command builds them: threshold (0..1000, luminance; only what is brighter glows),
softness (0..1, the threshold's knee), mix (0..1, from the input to the glowed input) and
glow_pass (True: only the light the glow adds).

depth: the host's processing depth, 8, 16 or 32 ("float"); by default the array's (uint8: 8,
uint16: 16, float16 and float32: float). threads: the host's worker threads (default
VELMORA_THREADS, else one per core).

extent="input" (the default) keeps the input's size; extent="full" returns (array, (x, y)),
the whole result, which the glow extends past the frame, and where its top-left corner lies
relative to the input's.

Raises velmora.Error with the command's one-line message for every refusal. The GIL is released
while the effect renders; Ctrl-C interrupts it.)";

py::object Glow(const py::array& given, const py::object& radius, const py::object& intensity,
                const py::object& mode, const py::object& tint, const py::object& tint_mode,
                const py::object& unmultiply, const py::object& gamma,
                const py::object& repeat_edges, const py::object& threshold,
                const py::object& softness, const py::object& mix, const py::object& glow_pass,
                const py::object& depth_given, std::optional<int> threads,
                const std::string& extent, bool premultiplied) {
  const ArrayLayout layout = LayoutOf(given);
  const hostsim::Depth depth = DepthFrom(depth_given, layout.depth);
  if (extent != "input" && extent != "full")
    throw Error("extent", "'" + extent + "' is not one of input, full",
                velmora::engine::kExitUsage);
  cli::ControlSettings settings;
  const std::pair<const char*, const py::object*> keywords[] = {{"radius", &radius},
                                                                {"intensity", &intensity},
                                                                {"mode", &mode},
                                                                {"tint", &tint},
                                                                {"tint_mode", &tint_mode},
                                                                {"unmultiply", &unmultiply},
                                                                {"gamma", &gamma},
                                                                {"repeat_edges", &repeat_edges},
                                                                {"threshold", &threshold},
                                                                {"softness", &softness},
                                                                {"mix", &mix},
                                                                {"glow_pass", &glow_pass}};
  for (const auto& [name, value] : keywords) AddSetting(settings, name, *value);

  // Rows as the file reader sees them: C order, the array's own type, a copy only when the
  // array is not laid out that way already.
  const py::array pixels = py::array::ensure(given, py::array::c_style);
  if (!pixels) throw py::error_already_set();
  const int height = static_cast<int>(pixels.shape(0));
  const int width = static_cast<int>(pixels.shape(1));
  const int channels = layout.channels;
  const OIIO::ImageSpec spec(width, height, channels, layout.type);
  cli::LayerChannels layer;
  layer.rgba = channels == 1   ? std::array<int, 4>{0, 0, 0, -1}
               : channels == 3 ? std::array<int, 4>{0, 1, 2, -1}
                               : std::array<int, 4>{0, 1, 2, 3};
  const bool has_alpha = channels == 4;
  const bool associated = has_alpha && premultiplied;
  const std::vector<int> roles = channels == 1   ? std::vector<int>{0}
                                 : channels == 3 ? std::vector<int>{0, 1, 2}
                                                 : std::vector<int>{0, 1, 2, 3};
  // Colour is multiplied by alpha on the way out, as the command writes a file without alpha
  // or with associated alpha.
  const bool associate = !has_alpha || premultiplied;
  const std::size_t pixel_bytes = spec.pixel_bytes(true);
  const auto* source = static_cast<const std::byte*>(pixels.data());

  const EffectLock lock;
  SetThreadsOnce(threads);
  EffectSession& session = Session();
  const velmora::engine::GlowControls glow = cli::ParseControls(settings, session.declared());
  const velmora::engine::CompOptions comp = cli::ParseCompOptions(settings);
  if (glow.tint && channels == 1) {
    throw Error("pixels", "a grey array cannot hold a tinted glow: give it as (height, width, 3)",
                velmora::engine::kExitUsage);
  }
  session.SetControls(glow);

  velmora::engine::OwnedWorld result;
  RunInterruptible([&] {
    hostsim::WorldStore& worlds = session.host().worlds();
    if (!g_input || g_input->depth != depth || g_input->width() != width ||
        g_input->height() != height) {
      g_input = velmora::engine::OwnedWorld();
      g_input = velmora::engine::OwnedWorld(worlds, worlds.Create(depth, width, height));
    }
    const velmora::engine::OwnedWorld& input = g_input;
    if (!input) {
      throw Error("pixels", "the host refuses a " + std::to_string(width) + " x " +
                                std::to_string(height) + " " + hostsim::DepthName(depth) +
                                " frame");
    }
    ForEachRowBand(0, height, [&](int y) {
      cli::StoreFileRow(spec, layer, associated,
                        source + static_cast<std::size_t>(y) * width * pixel_bytes, width, *input,
                        0, y);
    });
    session.ClearInterruption();
    g_rendering = &session;
    struct Done {
      ~Done() { g_rendering = nullptr; }
    } done;
    const auto start = std::chrono::steady_clock::now();
    result = velmora::engine::RenderComposited(session, *input, glow, comp,
                                               velmora::engine::TimeOfFrame(0), "pixels");
    g_last_render_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  });

  // The result's corner relative to the input's; the part of the output it leaves uncovered
  // is transparent.
  const int origin_x = result->effect_world.origin_x, origin_y = result->effect_world.origin_y;
  const bool full = extent == "full";
  const int out_width = full ? static_cast<int>(result->width()) : width;
  const int out_height = full ? static_cast<int>(result->height()) : height;
  const int shift_x = full ? 0 : origin_x, shift_y = full ? 0 : origin_y;
  std::vector<py::ssize_t> shape{out_height, out_width};
  if (channels > 1) shape.push_back(channels);
  py::array out = PooledArray(pixels.dtype(), shape);
  auto* target = static_cast<std::byte*>(out.mutable_data());
  const OIIO::ImageSpec out_spec(out_width, out_height, channels, layout.type);
  {
    py::gil_scoped_release release;
    const int x_begin = std::max(0, shift_x);
    const int x_end = std::min<int>(out_width, shift_x + static_cast<int>(result->width()));
    const int y_begin = std::max(0, shift_y);
    const int y_end = std::min<int>(out_height, shift_y + static_cast<int>(result->height()));
    const std::size_t row_bytes = static_cast<std::size_t>(out_width) * pixel_bytes;
    ForEachRowBand(0, out_height, [&](int y) {
      std::byte* row = target + static_cast<std::size_t>(y) * row_bytes;
      if (y < y_begin || y >= y_end || x_begin >= x_end) {
        std::memset(row, 0, row_bytes);
        return;
      }
      std::memset(row, 0, static_cast<std::size_t>(x_begin) * pixel_bytes);
      std::memset(row + static_cast<std::size_t>(x_end) * pixel_bytes, 0,
                  static_cast<std::size_t>(out_width - x_end) * pixel_bytes);
      cli::LoadWorldRow(*result, x_begin - shift_x, y - shift_y, x_end - x_begin, associate,
                        out_spec, roles, row + static_cast<std::size_t>(x_begin) * pixel_bytes);
    });
    result = velmora::engine::OwnedWorld();
  }
  if (full) return py::make_tuple(out, py::make_tuple(origin_x, origin_y));
  return out;
}

std::string ControlsJson() {
  const EffectLock lock;
  EffectSession& session = Session();
  return cli::InfoJson(session.module_path(), session.host().params());
}

const char* kRenderDoc =
    R"(Renders files as `velmora render` does: the same files, the same messages.

input, output: an image or a numbered sequence ("shot.####.exr"); frames as --frames
("1001-1100"); preset a JSON or TOML file; colorspace, working_space, output_colorspace and
ocio as the command's flags; skip_existing leaves frames whose output is complete; depth 8, 16
or 32 (default float); progress a callable given (done, total) after each frame. Controls and
the options around the effect as keywords: radius=60, tint="#ff8000", repeat_edges=True,
threshold=0.5, mix=0.8, glow_pass=True, ...

Raises velmora.Error with the command's message when it refuses or a frame fails.)";

void Render(const std::filesystem::path& input, const std::filesystem::path& output,
            const std::optional<std::string>& frames,
            const std::optional<std::filesystem::path>& preset,
            const std::optional<std::string>& colorspace,
            const std::optional<std::string>& working_space,
            const std::optional<std::string>& output_colorspace,
            const std::optional<std::filesystem::path>& ocio, bool skip_existing,
            const py::object& progress, const py::object& depth, std::optional<int> threads,
            bool quiet, const py::kwargs& controls) {
  cli::RenderRequest request;
  request.input = input;
  request.output = output;
  request.frames = frames;
  request.preset = preset;
  request.skip_existing = skip_existing;
  request.colour.ocio = ocio;
  if (colorspace) request.colour.input = cli::ColourName{*colorspace, "--colorspace"};
  if (working_space) request.colour.working = cli::ColourName{*working_space, "--working-space"};
  if (output_colorspace)
    request.colour.output = cli::ColourName{*output_colorspace, "--output-colorspace"};
  if (!depth.is_none()) request.depth = DepthFrom(depth, hostsim::Depth::k32);
  for (const auto& [key, value] : controls)
    AddSetting(request.controls, key.cast<std::string>(), value);
  request.verbosity = quiet ? cli::Verbosity::kQuiet : cli::Verbosity::kNormal;
  request.write.software = std::string("velmora ") + VELMORA_VERSION;

  std::atomic<long> done{0}, total{0};
  long told = 0;
  request.on_frame = [&](long frames_done, long frames_total) {
    total = frames_total;
    done = frames_done;
  };
  request.on_session = [&](EffectSession* session) { g_rendering = session; };

  const EffectLock lock;
  SetThreadsOnce(threads);
  g_input = velmora::engine::OwnedWorld();
  g_session.reset();  // the host is one per process: the render's session replaces it
  std::ostringstream dry_run;
  RunInterruptible([&] { cli::RunRender(request, dry_run); },
                   [&] {
                     const long now = done.load();
                     if (progress.is_none() || now == told) return;
                     told = now;
                     progress(now, total.load());
                   });
  if (!progress.is_none() && done.load() != told) progress(done.load(), total.load());
}

}  // namespace

PYBIND11_MODULE(velmora, m) {
  m.doc() = "The Velmora glow on NumPy arrays and image files, through the simulated host.";
  m.attr("__version__") = VELMORA_VERSION;
  static py::exception<Error> error(m, "Error");
  py::register_exception_translator([](std::exception_ptr raised) {
    try {
      if (raised) std::rethrow_exception(raised);
    } catch (const Error& e) {
      PyErr_SetString(error.ptr(), velmora::engine::OneLine(e.what()).c_str());
    }
  });
  m.def("glow", &Glow, kGlowDoc, py::arg("pixels"), py::kw_only(), py::arg("radius") = py::none(),
        py::arg("intensity") = py::none(), py::arg("mode") = py::none(),
        py::arg("tint") = py::none(), py::arg("tint_mode") = py::none(),
        py::arg("unmultiply") = py::none(), py::arg("gamma") = py::none(),
        py::arg("repeat_edges") = py::none(), py::arg("threshold") = py::none(),
        py::arg("softness") = py::none(), py::arg("mix") = py::none(),
        py::arg("glow_pass") = py::none(), py::arg("depth") = py::none(),
        py::arg("threads") = py::none(), py::arg("extent") = "input",
        py::arg("premultiplied") = true);
  m.def("render", &Render, kRenderDoc, py::arg("input"), py::arg("output"), py::kw_only(),
        py::arg("frames") = py::none(), py::arg("preset") = py::none(),
        py::arg("colorspace") = py::none(), py::arg("working_space") = py::none(),
        py::arg("output_colorspace") = py::none(), py::arg("ocio") = py::none(),
        py::arg("skip_existing") = false, py::arg("progress") = py::none(),
        py::arg("depth") = py::none(), py::arg("threads") = py::none(), py::arg("quiet") = false);
  m.def(
      "_last_render_seconds", [] { return g_last_render_seconds.load(); },
      "Seconds the engine's render took in the last glow call, without the array's conversions "
      "and the module's own work (for bench/python_overhead.py).");
  m.def(
      "controls", [] { return py::module_::import("json").attr("loads")(ControlsJson()); },
      "The effect and its controls as `velmora info --json` gives them: a dict.");
}
