#include "tools/tessaro-sim/serve/Server.h"

#include "platform/core/DeviceRoot.h"
#include "platform/core/Installation.h"
#include "platform/device/Device.h"
#include "tools/tessaro-sim/Scenario.h"
#include "tools/tessaro-sim/Timeline.h"
#include "tools/tessaro-sim/commands/Session.h"
#include "tools/tessaro-sim/serve/EventFeed.h"
#include "tools/tessaro-sim/serve/LiveDevice.h"
#include "tools/tessaro-sim/serve/PageFiles.h"
#include "tools/tessaro-sim/serve/SessionScript.h"

#include <httplib.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdlib>
#include <set>
#include <sstream>
#include <thread>

extern char** environ;

namespace sim::serve {

namespace {

constexpr int kBadInput = 2;
// Event streams open at once; each holds one of the server's threads.
constexpr int kMaxStreams = 8;
constexpr int kServerThreads = kMaxStreams + 8;

void answerJson(httplib::Response& response, const Answer& answer) {
  response.status = answer.status;
  response.set_content(answer.body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), "application/json");
}

void refuse(httplib::Response& response, int status, const std::string& message) {
  answerJson(response, Answer{status, {{"error", message}}});
}

bool loopback(const std::string& address) {
  return address == "127.0.0.1" || address == "::1" || address == "localhost";
}

// The Host values a request to this server may carry, and so the Origins of its page.
std::set<std::string> servedHosts(const std::string& listen, int port) {
  const std::string suffix = ":" + std::to_string(port);
  std::set<std::string> hosts = {"127.0.0.1" + suffix, "localhost" + suffix, "[::1]" + suffix};
  if (!loopback(listen)) hosts.insert((listen.find(':') != std::string::npos ? "[" + listen + "]" : listen) + suffix);
  return hosts;
}

// Starts the desktop's browser on `url`, where there is a desktop and a way to.
void openBrowser(const std::string& url, std::ostream& errors) {
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
    errors << "--open: no desktop here (neither DISPLAY nor WAYLAND_DISPLAY is set); open " << url << " yourself\n";
    return;
  }
  const char* argv[] = {"xdg-open", url.c_str(), nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
    errors << "--open: cannot start xdg-open; open " << url << " yourself\n";
  }
}

std::optional<UploadKind> uploadKindNamed(const std::string& name) {
  if (name == "recording") return UploadKind::Recording;
  if (name == "settings") return UploadKind::Settings;
  if (name == "styling") return UploadKind::Styling;
  return std::nullopt;
}

void routes(httplib::Server& server, LiveDevice& live, EventFeed& feed, const PageFiles& page,
            const std::set<std::string>& hosts, std::atomic<int>& streams) {
  server.set_pre_routing_handler([&hosts](const httplib::Request& request, httplib::Response& response) {
    const std::string host = request.get_header_value("Host");
    if (!hosts.contains(host)) {
      refuse(response, 403, "this server answers to " + *hosts.begin() + ", not to Host \"" + host + "\"");
      return httplib::Server::HandlerResponse::Handled;
    }
    if (request.method != "GET" && request.method != "HEAD") {
      const std::string origin = request.get_header_value("Origin");
      if (!hosts.contains(origin.rfind("http://", 0) == 0 ? origin.substr(7) : std::string())) {
        refuse(response, 403, "a request that changes the device must come from the page itself (Origin \"" + origin +
                                  "\")");
        return httplib::Server::HandlerResponse::Handled;
      }
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });

  server.Post("/api/command", [&live](const httplib::Request& request, httplib::Response& response) {
    answerJson(response, live.command(request.body));
  });
  server.Post("/api/clock", [&live](const httplib::Request& request, httplib::Response& response) {
    const auto body = nlohmann::json::parse(request.body, nullptr, false);
    const auto* rate = body.is_object() && body.contains("rate") && body["rate"].is_number() ? &body["rate"] : nullptr;
    const double value = rate ? rate->get<double>() : -1;
    if (value != 0 && value != 1 && value != 10) return refuse(response, 400, "expected {\"rate\": 0|1|10}");
    answerJson(response, live.setRate(value));
  });
  server.Post("/api/upload", [&live](const httplib::Request& request, httplib::Response& response) {
    const auto kind = uploadKindNamed(request.get_param_value("kind"));
    if (!kind) return refuse(response, 400, "expected ?kind=recording|settings|styling&name=FILE");
    const std::string name = request.has_param("name") ? request.get_param_value("name") : "upload";
    answerJson(response, live.upload(*kind, name, request.body));
  });

  server.Get("/api/state", [&live](const httplib::Request&, httplib::Response& response) {
    answerJson(response, Answer{200, live.state()});
  });
  server.Get("/api/settings", [&live](const httplib::Request&, httplib::Response& response) {
    answerJson(response, Answer{200, live.settings()});
  });
  server.Get("/api/session.scenario", [&live](const httplib::Request&, httplib::Response& response) {
    response.set_header("Content-Disposition", "attachment; filename=\"session.scenario\"");
    response.set_content(live.sessionText(), "text/plain; charset=utf-8");
  });
  server.Get("/api/screen.png", [&live](const httplib::Request&, httplib::Response& response) {
    std::uint64_t number = 0;
    const auto frame = live.frame(number);
    if (!frame) return refuse(response, 503, "no frame yet");
    response.set_header("X-Frame", std::to_string(number));
    response.set_header("Cache-Control", "no-store");
    response.set_content(reinterpret_cast<const char*>(frame->data()), frame->size(), "image/png");
  });
  server.Get("/api/events", [&feed, &streams](const httplib::Request&, httplib::Response& response) {
    if (streams.fetch_add(1) >= kMaxStreams) {
      streams.fetch_sub(1);
      return refuse(response, 503, "at most " + std::to_string(kMaxStreams) + " event streams at once");
    }
    response.set_header("Cache-Control", "no-store");
    // The timeline from its oldest kept event; news only from now on.
    auto position = std::make_shared<std::uint64_t>(feed.firstPosition());
    const std::uint64_t joined = feed.lastPosition();
    response.set_chunked_content_provider(
        "text/event-stream",
        [&feed, position, joined](std::size_t, httplib::DataSink& sink) {
          const auto texts = feed.after(*position, joined, std::chrono::milliseconds(500));
          for (const std::string& text : texts) {
            if (!sink.write(text.data(), text.size())) return false;
          }
          // A comment now and then when idle: a watcher that went away is noticed.
          if (texts.empty() && !sink.write(":\n\n", 3)) return false;
          if (feed.closed()) {
            sink.done();
            return true;
          }
          return sink.is_writable();
        },
        [&streams](bool) { streams.fetch_sub(1); });
  });

  server.Get(R"(/[^/]*)", [&page](const httplib::Request& request, httplib::Response& response) {
    const PageFile* file = page.find(request.path);
    if (file == nullptr) return refuse(response, 404, "no such page file: " + request.path);
    response.set_header("Cache-Control", "no-cache");
    response.set_content(file->bytes, file->contentType);
  });

  server.set_error_handler([](const httplib::Request& request, httplib::Response& response) {
    if (!response.body.empty()) return;
    const std::string what = response.status == 413   ? "the request is too large: an upload is at most 16 MiB, a form-encoded body at most 8 KiB (send text/plain or application/octet-stream)"
                             : response.status == 404 ? "no such thing here: " + request.path
                                                      : "the request was refused (HTTP " + std::to_string(response.status) + ")";
    refuse(response, response.status, what);
  });
  server.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr failure) {
    std::string what = "internal error";
    try {
      if (failure) std::rethrow_exception(failure);
    } catch (const std::exception& error) {
      what = error.what();
    }
    refuse(response, 500, what);
  });
}

}  // namespace

std::filesystem::path pageDirectory() {
  if (const char* page = std::getenv("TESSARO_SERVE_PAGE"); page != nullptr && *page != '\0') return page;
  return core::locate("share/tessaro/serve", TESSARO_SERVE_PAGE_DIR);
}

int runServe(const ServeOptions& options, std::ostream& out, std::ostream& errors) {
  std::optional<PageFiles> page;
  try {
    page.emplace(pageDirectory());
  } catch (const PageError& error) {
    errors << error.what() << "\n";
    return kBadInput;
  }

  // The lines the device starts with: --settings, then the scenario's.
  SessionScript script;
  Scenario scenario;
  std::string name = "<serve>";
  std::filesystem::path directory = std::filesystem::current_path();
  std::string scenarioText;
  if (!options.scenario.empty()) {
    scenarioText = readScenarioFile(options.scenario);
    name = options.scenario.string();
    directory = options.scenario.parent_path();
    scenario = parseScenario(scenarioText, name, directory, options.strict);
  }
  if (options.settingsFile) {
    const std::string path = std::filesystem::absolute(options.settingsFile->path).string();
    scenario.steps.insert(scenario.steps.begin(),
                          Step{0, "settings-file " + path, command::PutFile{device::kSettingsPath, *options.settingsFile}});
    script.start("settings-file \"" + path + "\"\n");
  }
  if (!options.scenario.empty()) script.start("# served from " + name + "\n" + scenarioText);
  for (const std::string& warning : scenario.warnings) errors << warning << "\n";

  std::ostringstream timelineOut, warnings;
  Timeline timeline(timelineOut, Format::Json);
  Session session(name, directory, timeline, warnings, false, options.strict || scenario.strict);
  for (const Step& step : scenario.steps) {
    // As a scenario run ends at an expectation that fails, and the session saved would not
    // be the run served.
    if (!session.run(step, settlesAfter(step.command))) {
      errors << warnings.str() << name << ":" << step.line << ": an expectation did not hold; nothing served\n";
      return 1;
    }
  }
  static const Step boot{0, "boot", command::Boot{true}};
  if (!session.booted()) session.run(boot, true);
  errors << warnings.str();

  const std::filesystem::path uploads = core::root() / ".serve-uploads";
  std::filesystem::create_directories(uploads);
  EventFeed feed;
  LiveDevice live(session, timelineOut, warnings, feed, script, uploads);

  httplib::Server server;
  server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
  server.set_payload_max_length(kMaxUploadBytes);
  // Address reuse, but not the library's default port sharing: a second server on a port
  // that is taken must fail, not split the requests with the first.
  server.set_socket_options([](socket_t socket) {
    int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  int port = options.port;
  if (port == 0) {
    port = server.bind_to_any_port(options.listen);
  } else if (!server.bind_to_port(options.listen, port)) {
    port = -1;
  }
  if (port <= 0) {
    errors << "cannot listen on " << options.listen << ":" << options.port << " (in use, or no such address)\n";
    return kBadInput;
  }
  const std::set<std::string> hosts = servedHosts(options.listen, port);
  std::atomic<int> streams{0};
  routes(server, live, feed, *page, hosts, streams);
  if (!loopback(options.listen)) {
    errors << "warning: listening on " << options.listen
           << ": anyone who can reach this address can drive the device and read what it shows\n";
  }
  const bool ipv6 = options.listen.find(':') != std::string::npos;
  const std::string url =
      "http://" + (ipv6 ? "[" + options.listen + "]" : options.listen) + ":" + std::to_string(port) + "/";
  out << "serving " << url << std::endl;
  if (options.open) openBrowser(url, errors);

  std::thread listener([&server] { server.listen_after_bind(); });
  live.loop();
  feed.close();
  server.stop();
  listener.join();
  return 0;
}

}  // namespace sim::serve
