// velmora preview over HTTP: a real server process on a free port of 127.0.0.1, its endpoints
// asked with an HTTP client, its frames compared with what `velmora render` writes.
#include <OpenImageIO/color.h>
#include <OpenImageIO/imagebuf.h>
#include <OpenImageIO/imagebufalgo.h>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <future>
#include <memory>
#include <nlohmann/json.hpp>
#include <thread>
#include <tuple>

#include "tests/cli/cli_runner.h"
#include "tests/cli/preview_process.h"

namespace velmora_test {
namespace {

const std::filesystem::path kSample =
    std::filesystem::path(VELMORA_SOURCE_DIR) / "samples" / "sample.png";

// The pixels of PNG bytes an endpoint answered, read as the tests read files.
Pixels PixelsOf(const std::string& png, const ScratchFolder& folder, const std::string& name) {
  const auto path = folder / name;
  std::ofstream(path, std::ios::binary) << png;
  return ReadPixels(path);
}

// A client that speaks to the server byte by byte, as a hostile one may.
class RawConnection {
 public:
  explicit RawConnection(int port, int receive_buffer = 0) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // Set before connecting, so the window the server sees stays small.
    if (receive_buffer > 0) {
      setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
    }
    const timeval limit{60, 0};  // no send may hang the test
    setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawConnection() { close(fd_); }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool connected() const { return connected_; }
  // Whether all of text was sent (false once the server has closed the connection).
  bool Send(const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
      const ssize_t sent = send(fd_, text.data() + done, text.size() - done, MSG_NOSIGNAL);
      if (sent <= 0) return false;
      done += static_cast<std::size_t>(sent);
    }
    return true;
  }
  // Whether the server has sent something (or closed) within the seconds given.
  bool AnswerStarted(int seconds) {
    pollfd fd{fd_, POLLIN, 0};
    return poll(&fd, 1, seconds * 1000) == 1;
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
};

void ExpectSamePixels(const Pixels& a, const Pixels& b) {
  ASSERT_EQ(a.spec.width, b.spec.width);
  ASSERT_EQ(a.spec.height, b.spec.height);
  ASSERT_EQ(a.spec.nchannels, b.spec.nchannels);
  ASSERT_EQ(a.spec.format, b.spec.format);
  EXPECT_TRUE(a.values == b.values) << "the pixels differ";
}

class PreviewHttpTest : public ::testing::Test {
 protected:
  void Start(const std::vector<std::string>& args,
             const std::map<std::string, std::string>& environment = {}) {
    if (server_) {
      EXPECT_EQ(server_->Stop(), 0) << server_->err();
    }
    server_ = std::make_unique<PreviewProcess>(args, environment);
    ASSERT_GT(server_->port(), 0) << server_->line() << server_->err();
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->port());
    client_->set_read_timeout(300, 0);
  }
  httplib::Client& client() { return *client_; }
  PreviewProcess& server() { return *server_; }
  // Stops the server as Ctrl-C does; its exit status.
  int StopServer() {
    const int status = server_->Stop();
    client_.reset();
    server_.reset();
    return status;
  }

  // Stopped as Ctrl-C stops it: cleanly, with status 0.
  void TearDown() override {
    if (server_) {
      EXPECT_EQ(server_->Stop(), 0) << server_->err();
    }
  }

  ScratchFolder folder;

 private:
  std::unique_ptr<PreviewProcess> server_;
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(PreviewHttpTest, PrintsItsAddressAndServesEachEndpoint) {
  Start({kSample.string()});
  EXPECT_NE(server().line().find("http://127.0.0.1:"), std::string::npos) << server().line();

  const auto page = client().Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("Save preset"), std::string::npos);
  EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");

  // The controls are the effect's own, as `velmora info --json` lists them.
  const auto controls = client().Get("/controls.json");
  ASSERT_TRUE(controls);
  const RunResult info = RunVelmora({"info", "--json"});
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_EQ(controls->body, info.out);

  const auto source = client().Get("/source.png");
  ASSERT_TRUE(source);
  ASSERT_EQ(source->status, 200);
  ExpectSamePixels(PixelsOf(source->body, folder, "source.png"), ReadPixels(kSample));

  const auto preset = client().Get("/preset.toml?radius=12&mode=add&gamma=on");
  ASSERT_TRUE(preset);
  EXPECT_EQ(preset->status, 200);
  EXPECT_EQ(preset->body,
            "# velmora preset: velmora render IN OUT --preset FILE\n"
            "radius = 12\nmode = \"add\"\ngamma = true\n");
}

// At full size the page's frame is the file the command writes, pixel for pixel: for an 8-bit
// RGB source, a 16-bit one with alpha, and a grey one (grey unless tinted).
TEST_F(PreviewHttpTest, AFullSizeFrameEqualsTheCommandsPng) {
  const auto rgba16 = folder / "rgba16.png";
  OIIO::ImageSpec spec(64, 40, 4, OIIO::TypeDesc::UINT16);
  spec.alpha_channel = 3;
  WriteFixture(rgba16, spec, [](int x, int y, int c) {
    return c == 3 ? (x < 32 ? 1.0f : 0.4f) : ((x * 7 + y * 3 + c * 11) % 64) / 50.0f;
  });
  const auto grey = folder / "grey.png";
  WriteFixture(grey, OIIO::ImageSpec(48, 30, 1, OIIO::TypeDesc::UINT8),
               [](int x, int y, int) { return (x + y) % 9 == 0 ? 1.0f : 0.1f; });

  // Linear light: the frame says so as the command's PNG does.
  const auto plate = folder / "plate.exr";
  WriteFixture(plate, OIIO::ImageSpec(40, 24, 3, OIIO::TypeDesc::HALF),
               [](int x, int y, int c) { return (x * 5 + y * 3 + c * 7) % 32 / 20.0f; });

  struct Case {
    std::filesystem::path input;
    std::vector<std::pair<std::string, std::string>> controls;
  };
  const Case cases[] = {
      {kSample, {{"radius", "40"}, {"intensity", "2.5"}, {"mode", "add"}, {"tint", "#ff8800"}}},
      {rgba16, {{"radius", "9"}, {"unmultiply", "true"}, {"gamma", "true"}}},
      {grey, {{"radius", "5"}, {"repeat-edges", "true"}}},
      {grey, {{"radius", "5"}, {"tint", "0.2,0.5,1"}, {"tint-mode", "soft"}}},
      {plate, {{"radius", "6"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input.filename().string());
    Start({c.input.string()});
    httplib::Params params;
    std::vector<std::string> flags = {"render", "-q", c.input.string(),
                                      (folder / "command.png").string()};
    for (const auto& [name, value] : c.controls) {
      params.emplace(name, value);
      // A switch's flag takes no value.
      flags.push_back("--" + name);
      if (value != "true") flags.push_back(value);
    }
    // A request before, setting what this one leaves out: each request starts from the
    // effect's defaults, whatever the last one asked.
    const auto earlier = client().Get(
        "/render.png?tint=%2300ff00&tint-mode=soft&gamma=on&unmultiply=on&repeat-edges=on&"
        "mode=add&intensity=3&scale=0.5");
    ASSERT_TRUE(earlier);
    ASSERT_EQ(earlier->status, 200) << earlier->body;
    const auto frame = client().Get("/render.png", params, {});
    ASSERT_TRUE(frame);
    ASSERT_EQ(frame->status, 200) << frame->body;
    const RunResult run = RunVelmora(flags);
    ASSERT_EQ(run.status, 0) << run.err;
    const Pixels page = PixelsOf(frame->body, folder, "page.png");
    const Pixels command = ReadPixels(folder / "command.png");
    ExpectSamePixels(page, command);
    EXPECT_EQ(page.spec.get_string_attribute("oiio:ColorSpace"),
              command.spec.get_string_attribute("oiio:ColorSpace"));
    EXPECT_EQ(page.spec.get_float_attribute("oiio:Gamma"),
              command.spec.get_float_attribute("oiio:Gamma"));
  }
}

TEST_F(PreviewHttpTest, AReducedFrameIsTheHostsDownsampledRender) {
  Start({kSample.string()});
  for (const auto& [scale, width, height] :
       {std::tuple{"0.5", 160, 90}, std::tuple{"0.25", 80, 45}, std::tuple{"1", 320, 180}}) {
    const auto frame = client().Get(std::string("/render.png?radius=30&scale=") + scale);
    ASSERT_TRUE(frame);
    ASSERT_EQ(frame->status, 200) << frame->body;
    EXPECT_EQ(frame->get_header_value("X-Velmora-Size"),
              std::to_string(width) + "x" + std::to_string(height));
    const Pixels pixels = PixelsOf(frame->body, folder, "scaled.png");
    EXPECT_EQ(pixels.spec.width, width);
    EXPECT_EQ(pixels.spec.height, height);
    // The figures the page shows beside the frame.
    const auto stats = nlohmann::json::parse(frame->get_header_value("X-Velmora-Stats"));
    EXPECT_EQ(stats["max"].size(), 4u);
    EXPECT_GE(stats["clipped"].get<double>(), 0.0);
    EXPECT_FALSE(frame->get_header_value("X-Velmora-Render-Ms").empty());
  }
}

// Each refusal is the flag's one-line message, and the server goes on serving.
TEST_F(PreviewHttpTest, BadRequestsGetTheFlagsMessageAndTheServerGoesOn) {
  Start({kSample.string()});
  struct Case {
    std::string query;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {"/render.png?radius=900", 400, "velmora: radius: 900 is outside the range 0 to 500\n"},
      {"/render.png?radius=ten", 400, "velmora: radius: 'ten' is not a whole number (0 to 500)\n"},
      {"/render.png?intensity=nan", 400, "velmora: intensity: 'nan' is not a number"},
      {"/render.png?mode=multiply", 400, "velmora: mode: 'multiply' is not one of screen, add"},
      {"/render.png?glow=1", 400, "velmora: preview: unknown control 'glow' (known: radius,"},
      {"/render.png?input=%2Fetc%2Fpasswd", 400, "velmora: preview: unknown control 'input'"},
      {"/render.png?tint=%2Fetc%2Fpasswd", 400, "velmora: tint: '/etc/passwd'"},
      {"/render.png?radius=1&radius=2", 400, "velmora: radius: given twice\n"},
      {"/render.png?scale=0.3", 400, "velmora: scale: '0.3' is not a scale the host renders at"},
      {"/render.png?scale=2", 400, "velmora: scale: '2' is not a scale"},
      {"/preset.toml?radius=-1", 400, "velmora: radius: -1 is outside the range 0 to 500\n"},
      {"/preset.toml?scale=0.5", 400, "velmora: preview: unknown control 'scale'"},
      {"/../../etc/passwd", 404, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    const auto answer = client().Get(c.query);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, c.status);
    EXPECT_EQ(answer->body.substr(0, c.message.size()), c.message) << answer->body;
    const auto still = client().Get("/render.png?radius=3&scale=0.25");
    ASSERT_TRUE(still);
    EXPECT_EQ(still->status, 200);
  }
  // A request under another host name (a page elsewhere resolving its own name here).
  const auto renamed = client().Get("/controls.json", {{"Host", "example.com"}});
  ASSERT_TRUE(renamed);
  EXPECT_EQ(renamed->status, 403);
}

// A frame whose render would need more memory than allowed is refused with the command's
// message, at the settings that grow it.
TEST_F(PreviewHttpTest, SettingsThatNeedTooMuchMemoryAreRefused) {
  const RunResult render = RunVelmora({"render", kSample.string(), (folder / "out.png").string(),
                                       "--max-memory", "16M", "--radius", "500", "--repeat-edges"});
  ASSERT_NE(render.status, 0);
  Start({kSample.string(), "--max-memory", "16M"});
  const auto refused = client().Get("/render.png?radius=500&repeat-edges=on");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 400);
  EXPECT_EQ(refused->body, render.err);
  const auto fits = client().Get("/render.png?radius=5");
  ASSERT_TRUE(fits);
  EXPECT_EQ(fits->status, 200) << fits->body;
}

TEST_F(PreviewHttpTest, SaveWritesAPresetWhoseRenderIsTheFrame) {
  const auto preset = folder / "look.toml";
  Start({kSample.string(), "--save-as", preset.string()});
  // The options around the effect too (".5" is saved as a number TOML reads).
  const std::string controls =
      "radius=33&intensity=1.75&tint=%23ffa040&tint-mode=soft&threshold=0.4&softness=.5&mix=0.8";
  // Saving asks for the page's header: a form on another site cannot send it.
  const auto forged = client().Post("/save-preset?" + controls, "", "text/plain");
  ASSERT_TRUE(forged);
  EXPECT_EQ(forged->status, 403);
  EXPECT_FALSE(std::filesystem::exists(preset));

  const auto saved =
      client().Post("/save-preset?" + controls, {{"X-Velmora", "save"}}, "", "text/plain");
  ASSERT_TRUE(saved);
  ASSERT_EQ(saved->status, 200) << saved->body;
  const auto answer = nlohmann::json::parse(saved->body);
  EXPECT_EQ(answer["file"], preset.string());
  EXPECT_EQ(answer["command"],
            "velmora render " + kSample.string() + " sample-glow.png --preset " + preset.string());
  const RunResult run = RunVelmora({"render", "-q", kSample.string(), (folder / "out.png").string(),
                                    "--preset", preset.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto frame = client().Get("/render.png?" + controls);
  ASSERT_TRUE(frame);
  ExpectSamePixels(PixelsOf(frame->body, folder, "page.png"), ReadPixels(folder / "out.png"));
}

// A render overtaken while in flight is interrupted through the host's abort check (409), and
// the newer one renders. The server holds its first render until the newer request interrupts
// it, so the order does not depend on timing.
TEST_F(PreviewHttpTest, ANewerRequestInterruptsTheRenderInFlight) {
  const auto resume = folder / "resume";
  Start({kSample.string()}, {{"VELMORA_TEST_PAUSE_AT", "preview-render"},
                             {"VELMORA_TEST_RESUME_FILE", resume.string()}});
  httplib::Client second("127.0.0.1", server().port());
  auto first =
      std::async(std::launch::async, [&] { return client().Get("/render.png?radius=200"); });
  const auto waiting = std::filesystem::path(resume.string() + ".waiting");
  for (int tries = 0; tries < 30000 && !std::filesystem::exists(waiting); ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(std::filesystem::exists(waiting)) << server().err();
  const auto newer = second.Get("/render.png?radius=20");
  ASSERT_TRUE(newer);
  EXPECT_EQ(newer->status, 200) << newer->body;
  const auto overtaken = first.get();
  ASSERT_TRUE(overtaken);
  EXPECT_EQ(overtaken->status, 409) << overtaken->body;
  EXPECT_EQ(overtaken->body, "velmora: preview: a newer request took this render's place\n");
}

// A browser names the page a request comes from; a page of another site may neither post to
// the preview nor have it render at full cost. Its own page, a typed address and clients that
// are not browsers (no such headers) are answered.
TEST_F(PreviewHttpTest, RequestsFromAnotherSiteAreRefused) {
  Start({kSample.string(), "--save-as", (folder / "look.toml").string()});
  const std::string port = std::to_string(server().port());
  const std::string own = "http://127.0.0.1:" + port;
  struct Case {
    bool post;
    std::string path;
    httplib::Headers headers;
    int status;
  };
  // Saving is the one request that writes; its own header does not make a foreign page's
  // request one of this page's.
  const std::pair<std::string, std::string> X{"X-Velmora", "save"};
  const Case cases[] = {
      {true, "/save-preset?radius=30", {X, {"Origin", "http://evil.example"}}, 403},
      {true, "/save-preset?radius=30", {X, {"Origin", "null"}}, 403},
      {true, "/save-preset?radius=30", {X, {"Origin", "http://127.0.0.1:1"}}, 403},
      {true, "/save-preset?radius=30", {X, {"Origin", own + ".evil.example"}}, 403},
      {true, "/save-preset?radius=30", {X, {"Origin", "https://127.0.0.1:" + port}}, 403},
      {false, "/render.png?radius=500", {{"Sec-Fetch-Site", "cross-site"}}, 403},
      {false, "/render.png?radius=500", {{"Sec-Fetch-Site", "same-site"}}, 403},
      {false, "/", {{"Sec-Fetch-Site", "cross-site"}, {"Origin", own}}, 403},
      {true,
       "/save-preset?radius=30",
       {X, {"Origin", own}, {"Sec-Fetch-Site", "same-origin"}},
       200},
      {true, "/save-preset?radius=30", {X, {"Origin", "http://localhost:" + port}}, 200},
      {false, "/", {{"Sec-Fetch-Site", "none"}}, 200},
      {false, "/render.png?scale=0.25", {{"Sec-Fetch-Site", "same-origin"}}, 200},
      {true, "/save-preset?radius=30", {X}, 200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " " + (c.headers.empty() ? "" : c.headers.begin()->second));
    const auto answer = c.post ? client().Post(c.path, c.headers, "", "text/plain")
                               : client().Get(c.path, c.headers);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, c.status) << answer->body;
    if (c.status == 403) {
      EXPECT_EQ(answer->body, "velmora: preview: only the preview's own page may ask this\n");
    }
  }
  // No request has a body worth reading: a large one is refused, and the server goes on.
  const auto bulky =
      client().Post("/save-preset?radius=30", {X}, std::string(64 * 1024, 'x'), "text/plain");
  EXPECT_TRUE(!bulky || bulky->status == 413) << (bulky ? bulky->status : 0);
  const auto after = client().Get("/controls.json");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->status, 200);
}

// The server listens on 127.0.0.1 only: the same port on any other address of this machine
// (another loopback address, the network's) refuses the connection.
TEST_F(PreviewHttpTest, ListensOnLoopbackOnly) {
  Start({kSample.string()});
  std::vector<std::string> others = {"127.0.0.2"};
  ifaddrs* addresses = nullptr;
  if (getifaddrs(&addresses) == 0) {
    for (ifaddrs* a = addresses; a; a = a->ifa_next) {
      if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
      char text[INET_ADDRSTRLEN];
      inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(a->ifa_addr)->sin_addr, text, sizeof text);
      if (std::string(text) != "127.0.0.1") others.push_back(text);
    }
    freeifaddrs(addresses);
  }
  for (const std::string& address : others) {
    SCOPED_TRACE(address);
    httplib::Client elsewhere(address, server().port());
    const auto answer = elsewhere.Get("/controls.json");
    EXPECT_FALSE(answer);
    EXPECT_EQ(answer.error(), httplib::Error::Connection);
  }
  const auto here = client().Get("/controls.json");
  ASSERT_TRUE(here);
  EXPECT_EQ(here->status, 200);
}

// Each refused start is one line and a failing status, before anything is served; what
// --save-as names is checked as velmora render checks an output, so no look built in the page
// is lost to a name that cannot take it, and no input is replaced by a preset.
TEST_F(PreviewHttpTest, AStartThatFailsSaysWhyInOneLine) {
  // The page shows the file's own values, so a look made in another colour space is refused.
  std::ofstream(folder / "look.toml") << "radius = 20\nworking_space = \"linear\"\n";
  const auto input = folder / "in.png";
  std::filesystem::copy_file(kSample, input);
  std::filesystem::create_symlink(input, folder / "link.png");
  std::filesystem::create_directory(folder / "shot");
  for (const char* frame : {"shot/f.0001.png", "shot/f.0002.png"}) {
    std::filesystem::copy_file(kSample, folder / frame);
  }
  // A second preview on a port that one holds: the system would otherwise split the
  // requests between the two.
  Start({kSample.string()});
  const std::string taken = std::to_string(server().port());
  const std::string in = input.string();
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{(folder / "none.png").string()}, "none.png: no such file\n"},
      {{kSample.string(), "--frame", "3"}, "velmora: --frame: "},
      {{kSample.string(), "--max-memory", "lots"}, "velmora: --max-memory: 'lots' is not a size"},
      {{kSample.string(), "--preset", (folder / "look.toml").string()},
       "look.toml: working_space: colour spaces are taken by velmora render, not by preview\n"},
      {{kSample.string(), "--port", taken},
       "velmora: --port: cannot listen on 127.0.0.1:" + taken + " (taken by another program"},
      {{in, "--save-as", in}, in + ": refusing to write over an input file\n"},
      {{in, "--save-as", (folder / "." / "in.png").string()}, "refusing to write over an input"},
      {{in, "--save-as", (folder / "link.png").string()}, "refusing to write over an input file"},
      // Another frame of the sequence being previewed.
      {{(folder / "shot/f.####.png").string(), "--save-as", (folder / "shot/f.0002.png").string()},
       "f.0002.png: refusing to write over an input file\n"},
      {{in, "--save-as", folder.path().string()},
       "is a directory (give a file name for the preset)\n"},
      {{in, "--save-as", "/dev/full"}, "velmora: /dev/full: is not a regular file"},
      {{in, "--save-as", (folder / "none" / "look.toml").string()}, "look.toml: no such folder "},
      {{in, "--save-as", ""}, "velmora: --save-as: an empty file name\n"},
      {{in, "--save-as", (folder / "look.json").string()}, "look.json: Save preset writes TOML"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    PreviewProcess failed(c.args);
    EXPECT_EQ(failed.port(), 0);
    EXPECT_NE(failed.Stop(), 0);
    const std::string err = failed.err();
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  }
  EXPECT_EQ(ReadBytes(input), ReadBytes(kSample));
  EXPECT_EQ(ReadBytes(folder / "shot/f.0002.png"), ReadBytes(kSample));
  // The preview that held the port still has every request.
  for (int i = 0; i < 4; ++i) {
    const auto answer = client().Get("/controls.json");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
  }
}

// A request naming byte ranges gets the whole content once: two thousand ranges of the whole
// file would otherwise have the server build a reply two thousand times its size. A request
// larger than any the page sends is cut off without being kept.
TEST_F(PreviewHttpTest, NoRequestMakesTheServerBuildMoreThanItServes) {
  Start({kSample.string()});
  const auto whole = client().Get("/source.png");
  ASSERT_TRUE(whole);
  ASSERT_EQ(whole->status, 200);
  std::string bomb = "bytes=0-";
  for (int i = 1; i < 2000; ++i) bomb += ",0-";
  for (const std::string& ranges : {bomb, std::string("bytes=0-9"), std::string("bytes=0-9,20-")}) {
    SCOPED_TRACE(ranges.substr(0, 20));
    const auto answer = client().Get("/source.png", {{"Range", ranges}});
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
    EXPECT_FALSE(answer->has_header("Content-Range"));
    EXPECT_EQ(answer->body, whole->body);
  }

  // A header line that never ends: 64 MB offered, which the server would keep whole if it read
  // it all; it stops reading and closes the connection long before.
  {
    RawConnection endless(server().port());
    ASSERT_TRUE(endless.connected());
    bool all_sent = endless.Send(
        "GET / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server().port()) + "\r\nX-Long: ");
    const std::string chunk(1 << 20, 'a');
    for (int i = 0; i < 64 && all_sent; ++i) all_sent = endless.Send(chunk);
    EXPECT_FALSE(all_sent);
  }
  const auto still = client().Get("/render.png?radius=3&scale=0.25");
  ASSERT_TRUE(still);
  EXPECT_EQ(still->status, 200);
}

// Clients that send a request a byte at a time, or take their answer as slowly, hold the
// server's threads only until their request's or reply's deadline: more of them than it has
// threads do not keep the page from loading, and Ctrl-C stops the server at once, with them
// still connected. The timings checked are far from what a working server takes.
TEST_F(PreviewHttpTest, SlowClientsNeitherLockThePageOutNorHoldTheStop) {
  // A frame whose PNG is larger than what the system buffers for one connection, so a client
  // that does not read its answer keeps the server writing.
  const auto large = folder / "noise.png";
  WriteFixture(large, OIIO::ImageSpec(2560, 1440, 3, OIIO::TypeDesc::UINT8),
               [](int x, int y, int c) {
                 const unsigned hash = (x * 73856093u) ^ (y * 19349663u) ^ (c * 83492791u);
                 return static_cast<float>((hash * 2654435761u) >> 24) / 255.0f;
               });
  Start({large.string()});
  const int port = server().port();
  const std::string host = "Host: 127.0.0.1:" + std::to_string(port) + "\r\n";
  constexpr int kSlowClients = 24;  // more than the server has threads

  std::vector<std::unique_ptr<RawConnection>> dripping;
  auto open_drippers = [&] {
    for (int i = 0; i < kSlowClients; ++i) {
      dripping.push_back(std::make_unique<RawConnection>(port));
      ASSERT_TRUE(dripping.back()->connected());
      dripping.back()->Send("GET / HTTP/1.1\r\n" + host);
    }
  };
  open_drippers();
  // A byte a second to each, for as long as the test runs.
  std::jthread dripper([&](std::stop_token stop) {
    while (!stop.stop_requested()) {
      for (auto& connection : dripping) connection->Send("X");
      std::this_thread::sleep_for(std::chrono::seconds(1));
    }
  });

  httplib::Client page("127.0.0.1", port);
  page.set_connection_timeout(90, 0);
  page.set_read_timeout(90, 0);
  for (const char* path : {"/", "/controls.json", "/source.png", "/render.png?scale=0.25"}) {
    SCOPED_TRACE(path);
    const auto answer = page.Get(path);
    ASSERT_TRUE(answer) << answer.error();
    EXPECT_EQ(answer->status, 200);
  }

  // Clients that asked for the frame and read none of it, beside new dripping ones.
  std::vector<std::unique_ptr<RawConnection>> not_reading;
  for (int i = 0; i < 4; ++i) {
    not_reading.push_back(std::make_unique<RawConnection>(port, 4096));
    ASSERT_TRUE(not_reading.back()->Send("GET /source.png HTTP/1.1\r\n" + host + "\r\n"));
  }
  for (auto& connection : not_reading) ASSERT_TRUE(connection->AnswerStarted(90));
  dripper.request_stop();
  dripper.join();
  dripping.clear();
  open_drippers();
  const auto asked = std::chrono::steady_clock::now();
  EXPECT_EQ(StopServer(), 0);
  // A reply's deadline is 30 s; a stop that waited for them would take that long.
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(20));
}

// A colour config with a display and its views: a scene-linear plate is shown through them.
constexpr const char* kViewConfig = R"(ocio_profile_version: 2
search_path: ""
strictparsing: true
roles:
  default: linear
  scene_linear: linear
file_rules:
  - !<Rule> {name: Default, colorspace: default}
displays:
  sRGB:
    - !<View> {name: Standard, colorspace: sRGB}
    - !<View> {name: Log, colorspace: log}
active_displays: []
active_views: []
colorspaces:
  - !<ColorSpace>
    name: linear
    encoding: scene-linear
  - !<ColorSpace>
    name: sRGB
    encoding: sdr-video
    from_scene_reference: !<ExponentWithLinearTransform> {gamma: 2.4, offset: 0.055, direction: inverse}
  - !<ColorSpace>
    name: log
    encoding: log
    from_scene_reference: !<LogAffineTransform> {base: 2, log_side_slope: 0.0625, log_side_offset: 0.5, lin_side_slope: 1, lin_side_offset: 0.00390625}
)";

class PreviewViewTest : public PreviewHttpTest {
 protected:
  void SetUp() override {
    config_ = folder / "view.ocio";
    std::ofstream(config_) << kViewConfig;
    plate_ = folder / "plate.exr";
    WriteFixture(plate_, OIIO::ImageSpec(40, 24, 3, OIIO::TypeDesc::HALF),
                 [](int x, int y, int c) { return (x * 5 + y * 3 + c * 7) % 32 / 40.0f; });
    Start({plate_.string(), "--ocio", config_.string(), "--save-as",
           (folder / "look.toml").string()});
  }
  std::filesystem::path config_, plate_;
};

// Through a view, the served frame is OpenColorIO's display transform of the command's own
// output (after the exposure's gain in linear light), tagged as what it now holds.
TEST_F(PreviewViewTest, AViewShowsTheConfigsDisplayTransformOfTheFrame) {
  const auto start = nlohmann::json::parse(client().Get("/start.json")->body);
  EXPECT_EQ(start["viewing"]["displays"][0]["name"], "sRGB");
  EXPECT_EQ(start["viewing"]["displays"][0]["views"], nlohmann::json({"Standard", "Log"}));

  const RunResult run = RunVelmora(
      {"render", "-q", plate_.string(), (folder / "command.exr").string(), "--radius", "6"});
  ASSERT_EQ(run.status, 0) << run.err;
  OIIO::ColorConfig ocio(config_.string());
  struct Case {
    std::string request;
    std::filesystem::path linear;  // the values the view is applied to
    std::string view;
    float gain;
    std::string tag;
  };
  const Case cases[] = {
      {"/render.png?radius=6&view=sRGB/Standard", folder / "command.exr", "Standard", 1, "sRGB"},
      {"/render.png?radius=6&view=sRGB/Standard&exposure=1", folder / "command.exr", "Standard", 2,
       "sRGB"},
      {"/render.png?radius=6&view=sRGB/Log&exposure=-1.5", folder / "command.exr", "Log",
       std::exp2(-1.5f), "log"},
      {"/source.png?view=sRGB/Standard&exposure=0.5", plate_, "Standard", std::exp2(0.5f), "sRGB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    const auto frame = client().Get(c.request);
    ASSERT_TRUE(frame);
    ASSERT_EQ(frame->status, 200) << frame->body;
    const Pixels page = PixelsOf(frame->body, folder, "page.png");
    EXPECT_EQ(page.spec.get_string_attribute("oiio:ColorSpace"), c.tag);
    OIIO::ImageBuf linear(c.linear.string());
    linear = OIIO::ImageBufAlgo::mul(linear, c.gain);
    const OIIO::ImageBuf shown =
        OIIO::ImageBufAlgo::ociodisplay(linear, "sRGB", c.view, "linear", "", true, "", "", &ocio);
    ASSERT_FALSE(shown.has_error()) << shown.geterror();
    ASSERT_EQ(page.spec.width, shown.spec().width);
    ASSERT_EQ(page.spec.height, shown.spec().height);
    ASSERT_EQ(page.spec.nchannels, 3);
    float worst = 0;
    for (int y = 0; y < page.spec.height; ++y) {
      for (int x = 0; x < page.spec.width; ++x) {
        for (int ch = 0; ch < 3; ++ch) {
          const float expected = std::clamp(shown.getchannel(x, y, 0, ch), 0.0f, 1.0f);
          worst = std::max(worst, std::abs(page.at(x, y, ch) - expected));
        }
      }
    }
    EXPECT_LE(worst, 1.0f / 255.0f);
  }
  // As stored, the frame is the command's values, tagged linear.
  const auto stored = client().Get("/render.png?radius=6");
  ASSERT_TRUE(stored);
  EXPECT_EQ(
      PixelsOf(stored->body, folder, "stored.png").spec.get_string_attribute("oiio:ColorSpace"),
      "Linear");
}

TEST_F(PreviewViewTest, BadViewsAndExposuresAreRefusedInOneLine) {
  struct Case {
    std::string query;
    std::string message;
  };
  const Case cases[] = {
      {"/render.png?view=sRGB/Standrd", "velmora: view: no view of display 'sRGB' 'Standrd' in"},
      {"/source.png?view=sRBG/Log", "velmora: view: no display 'sRBG' in"},
      {"/render.png?view=sRGB", "velmora: view: 'sRGB' is not DISPLAY/VIEW"},
      {"/render.png?view=sRGB/Log&view=sRGB/Standard", "velmora: view: given twice\n"},
      {"/render.png?view=sRGB/Log&exposure=bright", "velmora: exposure: 'bright' is not stops"},
      {"/render.png?view=sRGB/Log&exposure=40", "velmora: exposure: '40' is not stops"},
      {"/render.png?exposure=1", "velmora: exposure: is shown through a view"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    const auto answer = client().Get(c.query);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 400);
    EXPECT_EQ(answer->body.substr(0, c.message.size()), c.message) << answer->body;
    EXPECT_EQ(std::count(answer->body.begin(), answer->body.end(), '\n'), 1) << answer->body;
  }
  // The nearest names, to correct the spelling.
  EXPECT_NE(client().Get("/render.png?view=sRGB/Standrd")->body.find("nearest: Standard"),
            std::string::npos);
  EXPECT_NE(client().Get("/render.png?view=sRBG/Log")->body.find("nearest: sRGB"),
            std::string::npos);
  const auto still = client().Get("/render.png?view=sRGB/Log&scale=0.5");
  ASSERT_TRUE(still);
  EXPECT_EQ(still->status, 200) << still->body;
}

// Viewing is for looking only: the preset and the command saved with a view chosen are those
// saved without.
TEST_F(PreviewViewTest, ThePresetSavedWithAViewIsTheOneSavedWithout) {
  const std::string controls = "radius=12&intensity=1.5";
  std::string bodies[2];
  const std::string queries[2] = {controls, controls + "&view=sRGB%2FLog&exposure=2.5"};
  for (int i = 0; i < 2; ++i) {
    const auto saved =
        client().Post("/save-preset?" + queries[i], {{"X-Velmora", "save"}}, "", "text/plain");
    ASSERT_TRUE(saved);
    ASSERT_EQ(saved->status, 200) << saved->body;
    bodies[i] = saved->body;
  }
  EXPECT_EQ(bodies[0], bodies[1]);
  EXPECT_EQ(client().Get("/preset.toml?" + queries[1])->body,
            client().Get("/preset.toml?" + queries[0])->body);
}

// A preset's display and view are where the page starts: its menu's first choice, as the config
// spells them (a missing one is the config's default), beside the preset's controls.
TEST_F(PreviewViewTest, APresetsViewIsThePagesFirstView) {
  const auto preset = folder / "start.toml";
  const struct {
    std::string keys;
    std::string view;  // "": no view named, none chosen
  } cases[] = {
      {"view = \"Log\"\n", "sRGB/Log"},
      {"display = \"srgb\"\nview = \"standard\"\n", "sRGB/Standard"},
      {"display = \"sRGB\"\n", "sRGB/Standard"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    std::ofstream(preset) << "radius = 12\n" << c.keys;
    Start({plate_.string(), "--ocio", config_.string(), "--preset", preset.string(), "--save-as",
           preset.string()});
    const auto start = nlohmann::json::parse(client().Get("/start.json")->body);
    EXPECT_EQ(start["controls"]["radius"], "12");
    EXPECT_EQ(start["viewing"].value("view", ""), c.view) << start.dump();
    // Saving over the preset keeps the keys the page does not set.
    const auto saved =
        client().Post("/save-preset?radius=20", {{"X-Velmora", "save"}}, "", "text/plain");
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->status, 200) << saved->body;
    const std::string text = ReadBytes(preset);
    EXPECT_NE(text.find("radius = 20\n" + c.keys), std::string::npos) << text;
    if (c.view.empty()) continue;
    // The page's first frame through that view is served.
    const auto frame = client().Get("/render.png?radius=12&view=" + c.view);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->status, 200) << frame->body;
  }
}

// What the page cannot show stops the start in one line, rather than being left out unsaid.
TEST_F(PreviewViewTest, APresetsViewThePageCannotShowIsRefused) {
  const auto preset = folder / "start.toml";
  const std::string named = preset.string();
  const struct {
    std::string keys;
    std::map<std::string, std::string> environment;
    bool ocio;  // --ocio given
    std::string message;
  } cases[] = {
      {"view = \"Log\"\nlook = \"film\"\n",
       {},
       true,
       "velmora: " + named + ": look: looks are taken by velmora render; preview shows views"},
      {"view = \"Lgo\"\n",
       {},
       true,
       "velmora: " + named + ": view: no view of display 'sRGB' 'Lgo' in"},
      {"display = \"P3\"\n", {}, true, "velmora: " + named + ": display: no display 'P3' in"},
      {"view = \"Log\"\n",
       {{"OCIO", ""}},
       false,
       "velmora: " + named + ": view: displays, views and looks come from a colour config"},
      // A config $OCIO names that does not load is no longer passed over with a warning.
      {"view = \"Log\"\n", {{"OCIO", (folder / "none.ocio").string()}}, false, "velmora: $OCIO: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    std::ofstream(preset) << "radius = 12\n" << c.keys;
    std::vector<std::string> args = {plate_.string(), "--preset", named};
    if (c.ocio) args.insert(args.end(), {"--ocio", config_.string()});
    PreviewProcess failed(args, c.environment);
    EXPECT_EQ(failed.port(), 0);
    EXPECT_EQ(failed.Stop(), 2);
    const std::string err = failed.err();
    EXPECT_EQ(err.substr(0, c.message.size()), c.message) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  }
}

}  // namespace
}  // namespace velmora_test
