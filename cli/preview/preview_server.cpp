#include "cli/preview/preview_server.h"

#include <httplib.h>

#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "cli/image/pending_file.h"
#include "cli/preview/guarded_server.h"
#include "cli/preview/page.h"
#include "cli/preview/preset_text.h"
#include "cli/preview/query_controls.h"
#include "cli/report/cli_error.h"

namespace cli::preview {
namespace {

// A request's line and headers: a browser's are a few KB, and the longest query (every control
// with its longest value) is well under one.
constexpr std::size_t kMaxHeadBytes = 32 * 1024;

// No request carries a body the server reads (the controls travel in the query); a small one
// is let through, since a client may send one with a POST.
constexpr std::size_t kMaxBodyBytes = 1024;

ServerLimits Limits() {
  ServerLimits limits;
  limits.request_bytes = kMaxHeadBytes + kMaxBodyBytes;
  return limits;
}

std::vector<std::pair<std::string, std::string>> Parameters(const httplib::Request& request) {
  return {request.params.begin(), request.params.end()};
}

void Refuse(httplib::Response& response, int status, const std::string& message) {
  response.status = status;
  response.set_content("velmora: " + OneLine(message) + "\n", "text/plain; charset=utf-8");
}

// Runs a handler, answering a refused request with its one-line message: 400 for what the
// request asked, 500 when the effect or a file failed. The server goes on either way.
template <class Handler>
void Answer(httplib::Response& response, Handler&& handler) {
  try {
    handler();
  } catch (const Superseded&) {
    Refuse(response, 409, "preview: a newer request took this render's place");
  } catch (const CliError& error) {
    Refuse(response, error.exit_status() == kExitUsage ? 400 : 500, error.what());
  } catch (const std::exception& error) {
    Refuse(response, 500, error.what());
  }
}

void NoStore(httplib::Response& response) {
  response.set_header("Cache-Control", "no-store");
}

}  // namespace

struct PreviewServer::Impl {
  PreviewRenderer& renderer;
  ServerSetup setup;
  GuardedServer server{Limits()};
  int port = 0;

  Impl(PreviewRenderer& r, ServerSetup s) : renderer(r), setup(std::move(s)) {}

  // A page elsewhere may point a browser at this address under another name (a name of its
  // own resolved to 127.0.0.1): only requests addressed to this server by its own name count.
  bool AddressedHere(const httplib::Request& request) const {
    const std::string host = request.get_header_value("Host");
    const std::size_t colon = host.rfind(':');
    if (colon == std::string::npos ||
        host.compare(colon + 1, std::string::npos, std::to_string(port)) != 0) {
      return false;
    }
    const std::string_view name = std::string_view(host).substr(0, colon);
    return name == "127.0.0.1" || name == "localhost";
  }

  // A browser says which page a request comes from: a page of another site may not have this
  // one render at full cost or post to it. Clients that are not browsers send neither header.
  bool FromThisPage(const httplib::Request& request) const {
    if (request.has_header("Origin")) {
      const std::string origin = request.get_header_value("Origin");
      std::string_view rest = origin;
      for (const std::string_view own : {"http://127.0.0.1:", "http://localhost:"}) {
        if (rest.substr(0, own.size()) == own) {
          rest.remove_prefix(own.size());
          break;
        }
      }
      if (rest.size() == origin.size() || rest != std::to_string(port)) return false;
    }
    if (request.has_header("Sec-Fetch-Site")) {
      // "none": the user opened the address; a link from another site is "cross-site" or,
      // from another port of this host, "same-site".
      const std::string site = request.get_header_value("Sec-Fetch-Site");
      if (site != "same-origin" && site != "none") return false;
    }
    return true;
  }

  std::string StartJson() const {
    nlohmann::json json;
    json["input"] = setup.input;
    json["frame"] = setup.frame ? nlohmann::json(*setup.frame) : nlohmann::json();
    json["save_as"] = setup.save_as.string();
    json["controls"] = nlohmann::json::object();
    for (const auto& [name, setting] : setup.start) json["controls"][name] = setting.text;
    // The displays and views the page may show the frame through (none without a config).
    json["viewing"] = nlohmann::json::parse(renderer.ViewsJson());
    if (!setup.view.empty()) json["viewing"]["view"] = setup.view;
    return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  }

  void SavePreset(const httplib::Request& request, httplib::Response& response) {
    const PreviewQuery query = ParseQuery(Parameters(request), false);
    const std::string text = renderer.Preset(query.controls) + KeptToml(setup.kept);
    CheckReplaceable(setup.save_as);
    PendingFile pending(setup.save_as);
    pending.stream().write(text.data(), text.size());
    if (const int error = pending.write_error()) {
      throw CliError(setup.save_as.string(), std::string("cannot write: ") + std::strerror(error));
    }
    pending.Commit();
    nlohmann::json json;
    json["file"] = setup.save_as.string();
    json["preset"] = text;
    json["command"] = RenderCommand({setup.input, setup.frame, setup.save_as.string(), setup.plugin,
                                     setup.kept.empty() ? std::nullopt : setup.ocio});
    response.set_content(json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                         "application/json");
  }

  void Route() {
    server.set_pre_routing_handler(
        [this](const httplib::Request& request, httplib::Response& response) {
          if (!AddressedHere(request)) {
            Refuse(response, 403,
                   "preview: only requests to 127.0.0.1:" + std::to_string(port) + " are answered");
          } else if (!FromThisPage(request)) {
            Refuse(response, 403, "preview: only the preview's own page may ask this");
          } else {
            return httplib::Server::HandlerResponse::Unhandled;
          }
          return httplib::Server::HandlerResponse::Handled;
        });
    server.Get("/", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(PageHtml(), "text/html; charset=utf-8");
    });
    server.Get("/controls.json", [this](const httplib::Request&, httplib::Response& response) {
      response.set_content(renderer.ControlsJson(), "application/json");
    });
    server.Get("/start.json", [this](const httplib::Request&, httplib::Response& response) {
      response.set_content(StartJson(), "application/json");
    });
    server.Get("/source.png", [this](const httplib::Request& request, httplib::Response& response) {
      Answer(response, [&] {
        const PreviewQuery query = ParseQuery(Parameters(request), false);
        response.set_content(renderer.SourcePng(query.viewing), "image/png");
      });
    });
    server.Get("/render.png", [this](const httplib::Request& request, httplib::Response& response) {
      Answer(response, [&] {
        const PreviewQuery query = ParseQuery(Parameters(request), true);
        const RenderedFrame frame =
            renderer.Render(query.controls, query.downsample, query.viewing);
        char milliseconds[32];
        std::snprintf(milliseconds, sizeof milliseconds, "%.1f", frame.milliseconds);
        response.set_header("X-Velmora-Render-Ms", milliseconds);
        response.set_header("X-Velmora-Stats", StatsJson(frame.stats));
        response.set_header("X-Velmora-Size",
                            std::to_string(frame.width) + "x" + std::to_string(frame.height));
        NoStore(response);
        response.set_content(frame.png, "image/png");
      });
    });
    server.Get("/preset.toml", [this](const httplib::Request& request,
                                      httplib::Response& response) {
      Answer(response, [&] {
        const PreviewQuery query = ParseQuery(Parameters(request), false);
        response.set_header("Content-Disposition", "attachment; filename=\"velmora-preset.toml\"");
        NoStore(response);
        response.set_content(renderer.Preset(query.controls), "application/toml");
      });
    });
    // Writing asks for a header a page elsewhere cannot send without this server's consent.
    server.Post("/save-preset",
                [this](const httplib::Request& request, httplib::Response& response) {
                  if (request.get_header_value("X-Velmora") != "save") {
                    Refuse(response, 403, "preview: saving needs the page's X-Velmora header");
                    return;
                  }
                  Answer(response, [&] { SavePreset(request, response); });
                });
  }
};

PreviewServer::PreviewServer(PreviewRenderer& renderer, ServerSetup setup)
    : impl_(std::make_unique<Impl>(renderer, std::move(setup))) {
  impl_->server.set_payload_max_length(kMaxBodyBytes);
  impl_->Route();
}

PreviewServer::~PreviewServer() = default;

int PreviewServer::Bind(int port) {
  httplib::Server& server = impl_->server;
  const int bound = port == 0 ? server.bind_to_any_port("127.0.0.1")
                              : (server.bind_to_port("127.0.0.1", port) ? port : -1);
  if (bound <= 0) {
    throw CliError("--port", port == 0 ? "no free port to listen on at 127.0.0.1"
                                       : "cannot listen on 127.0.0.1:" + std::to_string(port) +
                                             " (taken by another program, or reserved)");
  }
  impl_->port = bound;
  return bound;
}

void PreviewServer::Serve() {
  impl_->server.listen_after_bind();
}

void PreviewServer::Stop() {
  impl_->server.Stop();
}

}  // namespace cli::preview
