// tessaro-sim serve against a client as the page is one: every endpoint, lines that fail
// and a device that goes on, the Host and Origin checks, uploads, and the saved session
// run again by tessaro-sim to the same events.

#include "tests/tools/serve/LiveServer.h"

#include <fstream>

namespace servetest {
namespace {

using nlohmann::json;

constexpr const char* kToggle = "com.brel.control-center.tessaromodule";

std::filesystem::path writeFile(const std::string& name, const std::string& contents) {
  const auto path = std::filesystem::temp_directory_path() / (std::to_string(::getpid()) + "-" + name);
  std::ofstream(path, std::ios::binary) << contents;
  return path;
}

// A shell command's output, its standard error with it, and its raw wait status.
std::string output(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = ::popen(("(" + command + ") 2>&1").c_str(), "r");
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int closed = ::pclose(pipe);
  if (status != nullptr) *status = closed;
  return out;
}

std::string runSimulator(const std::string& arguments) {
  int status = -1;
  std::string out = output(std::string(TESSARO_SIM) + " " + arguments, &status);
  EXPECT_EQ(status, 0) << out;
  return out;
}

class ServeApi : public LiveServer {};

TEST_F(ServeApi, EveryEndpointAnswers) {
  start();
  auto page = client().Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->get_header_value("Content-Type").find("text/html"), std::string::npos);
  EXPECT_EQ(client().Get("/no-such-file.js")->status, 404);
  EXPECT_EQ(client().Get("/../../etc/passwd")->status, 404);

  const json state = getJson("/api/state");
  ASSERT_TRUE(state.is_object());
  for (const char* key : {"time", "rate", "display", "lockScreen", "sampling", "controlCenter", "toggles", "screen"}) {
    EXPECT_TRUE(state.contains(key)) << key;
  }
  EXPECT_EQ(state["rate"], 1);
  EXPECT_EQ(state["screen"]["width"], 375);

  const json settings = getJson("/api/settings");
  ASSERT_TRUE(settings["settings"].is_array());
  const auto isEnabled = std::find_if(settings["settings"].begin(), settings["settings"].end(),
                                      [](const json& key) { return key["key"] == "isEnabled"; });
  ASSERT_NE(isEnabled, settings["settings"].end());
  EXPECT_EQ((*isEnabled)["type"], "boolean");
  EXPECT_EQ((*isEnabled)["default"], "NO");
  EXPECT_FALSE(settings["styling"].empty());

  auto screen = client().Get("/api/screen.png");
  ASSERT_TRUE(screen);
  EXPECT_EQ(screen->status, 200);
  EXPECT_EQ(screen->body.substr(1, 3), "PNG");
  EXPECT_FALSE(screen->get_header_value("X-Frame").empty());

  auto [status, answer] = command("press lock");
  EXPECT_EQ(status, 200);
  EXPECT_EQ(answer["ok"], true);
  bool dark = false;
  for (const json& event : answer["events"]) dark = dark || (event["event"] == "display" && event["text"] == "off");
  EXPECT_TRUE(dark) << answer.dump();
  EXPECT_EQ(getJson("/api/state")["display"], false);

  EXPECT_EQ(client().Post("/api/clock", R"({"rate": 0})", "application/json")->status, 200);
  const double paused = getJson("/api/state")["time"];
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(getJson("/api/state")["time"], paused);
  EXPECT_EQ(client().Post("/api/clock", R"({"rate": 5})", "application/json")->status, 400);
  EXPECT_EQ(client().Post("/api/clock", "fast", "application/json")->status, 400);
  EXPECT_EQ(client().Post("/api/clock", R"({"rate": 10})", "application/json")->status, 200);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_GT(getJson("/api/state")["time"].get<double>(), paused + 1.0);

  auto session = client().Get("/api/session.scenario");
  ASSERT_TRUE(session);
  EXPECT_NE(session->body.find("press lock"), std::string::npos);
}

TEST_F(ServeApi, TheEventStreamSendsTheTimelineFromItsStartAndNews) {
  start();
  command("press lock");
  EventReader reader(port_, origin_);
  command("press lock");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  int displayEvents = 0;
  for (const json& event : reader.events()) displayEvents += event["event"] == "display";
  EXPECT_EQ(displayEvents, 2) << "the press before the stream opened, and the one after";
  const auto news = reader.news();
  EXPECT_NE(std::find(news.begin(), news.end(), "frame"), news.end());
  EXPECT_NE(std::find(news.begin(), news.end(), "state"), news.end());
  EXPECT_NE(std::find(news.begin(), news.end(), "motion"), news.end());
}

TEST_F(ServeApi, BadLinesAreRefusedAndTheDeviceGoesOn) {
  start();
  auto [status, answer] = command("frobnicate");
  EXPECT_EQ(status, 400);
  EXPECT_NE(answer["error"].get<std::string>().find("frobnicate"), std::string::npos) << answer.dump();
  EXPECT_EQ(command("press home twice gap").first, 400);
  EXPECT_EQ(command("home up").first, 400) << "the button is not down";
  EXPECT_EQ(command("press lock\npress lock").first, 400);
  EXPECT_EQ(command(std::string(5000, 'x')).first, 400);
  EXPECT_EQ(command("without SBFoo").first, 400) << "a line of before boot, after boot";
  // Nothing that names a file of this machine is opened.
  for (const char* line : {"replay /etc/passwd", "snapshot /tmp/x.png", "plot /tmp/x.png", "settings-file /etc/passwd",
                           "styling-file /etc/passwd"}) {
    auto [refused, why] = command(line);
    EXPECT_EQ(refused, 400) << line;
    EXPECT_NE(why.dump().find("upload"), std::string::npos) << why.dump();
  }
  auto [failed, expectation] = command("expect display off");
  EXPECT_EQ(failed, 200);
  EXPECT_EQ(expectation["ok"], false);
  EXPECT_EQ(command("expect display on").second["ok"], true);
  EXPECT_EQ(command("home down").first, 200);
  EXPECT_EQ(getJson("/api/state")["homeDown"], true);
  EXPECT_EQ(command("home down").first, 400) << "already down";
  EXPECT_EQ(command("home up").first, 200);
}

TEST_F(ServeApi, HostAndOriginAreChecked) {
  start();
  httplib::Client plain("127.0.0.1", port_);
  EXPECT_EQ(plain.Get("/api/state")->status, 200) << "a GET needs no Origin";
  EXPECT_EQ(plain.Get("/api/state", {{"Host", "evil.example:" + std::to_string(port_)}})->status, 403);
  EXPECT_EQ(plain.Get("/api/state", {{"Host", "127.0.0.1:1"}})->status, 403);
  EXPECT_EQ(plain.Get("/", {{"Host", "localhost:" + std::to_string(port_)}})->status, 200);
  EXPECT_EQ(plain.Post("/api/command", "press lock", "text/plain")->status, 403) << "no Origin";
  EXPECT_EQ(plain.Post("/api/command", {{"Origin", "http://evil.example"}}, "press lock", "text/plain")->status, 403);
  EXPECT_EQ(plain.Post("/api/command", {{"Origin", origin_ + ".evil.example"}}, "press lock", "text/plain")->status,
            403);
  EXPECT_EQ(getJson("/api/state")["display"], true) << "no refused line ran";
}

TEST_F(ServeApi, UploadsAreCappedAndReadAsFilesAre) {
  start();
  const std::string huge((16u << 20) + 1, 'x');
  auto tooLarge = client().Post("/api/upload?kind=recording&name=big.csv", huge, "application/octet-stream");
  ASSERT_TRUE(tooLarge);
  EXPECT_EQ(tooLarge->status, 413);
  EXPECT_EQ(client().Post("/api/upload?kind=binary&name=x", "x", "application/octet-stream")->status, 400);
  auto garbage = client().Post("/api/upload?kind=recording&name=bad.json", "[{", "application/octet-stream");
  EXPECT_EQ(garbage->status, 400);
  EXPECT_NE(garbage->body.find("bad.json"), std::string::npos) << garbage->body;

  const std::string settings = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict><key>isEnabled</key><true/><key>wakeMode</key><integer>1</integer></dict></plist>
)";
  EXPECT_EQ(client().Post("/api/upload?kind=settings&name=../../phone.plist", settings, "application/xml")->status,
            200);
  const json form = getJson("/api/settings");
  for (const json& key : form["settings"]) {
    if (key["key"] == "wakeMode") {
      EXPECT_EQ(key["file"], 1);
    }
  }
  const std::string session = client().Get("/api/session.scenario")->body;
  EXPECT_NE(session.find("settings-file \"phone.plist\""), std::string::npos) << session;

  const std::string recording = "timestamp,gx,gy,gz,ux,uy,uz\n0,0,0,-1,0,0,0\n0.1,0,-0.5,-0.8,0.3,0.2,0\n";
  auto played = client().Post("/api/upload?kind=recording&name=lift.csv", recording, "text/csv");
  EXPECT_EQ(played->status, 200) << played->body;
  EXPECT_EQ(command("expect display on").second["ok"], true) << "the device goes on";
}

TEST_F(ServeApi, TheSavedSessionRunsAgainToTheSameEvents) {
  const auto scenario =
      writeFile("served.scenario", "set isEnabled YES\nset isAllowTapOnScreenOffEnabled YES\nset tapToWakeMode 0\n");
  start({scenario.string()});
  EventReader reader(port_, origin_);
  for (const char* line : {"press lock", "home down"}) ASSERT_EQ(command(line).first, 200) << line;
  std::this_thread::sleep_for(std::chrono::milliseconds(120));  // held by hand
  ASSERT_EQ(command("home up").first, 200);
  std::this_thread::sleep_for(std::chrono::milliseconds(600));  // past the double-press window
  EXPECT_EQ(command("expect display on").second["ok"], true);
  for (const char* line : {"open control-center", "tap toggle com.brel.control-center.tessaromodule", "wait 1",
                           "expect setting isEnabled NO"}) {
    ASSERT_EQ(command(line).first, 200) << line;
  }
  ASSERT_EQ(client().Post("/api/clock", R"({"rate": 0})", "application/json")->status, 200);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  (void)kToggle;

  auto count = [](const std::vector<json>& events, const std::string& kind, const std::string& text) {
    return std::count_if(events.begin(), events.end(), [&](const json& event) {
      return event["event"] == kind && event["text"].get<std::string>().find(text) != std::string::npos;
    });
  };
  const std::vector<json> served = reader.events();
  const auto saved = writeFile("session.scenario", client().Get("/api/session.scenario")->body);
  std::vector<json> rerun;
  std::istringstream lines(runSimulator("--json " + saved.string()));
  for (std::string line; std::getline(lines, line);) rerun.push_back(json::parse(line));
  for (const auto& [kind, text] : std::vector<std::pair<std::string, std::string>>{
           {"display", "on"}, {"display", "off"}, {"tweak", "performTheAction"}, {"toggle", "tapped"}}) {
    EXPECT_GT(count(served, kind, text), 0) << kind << " " << text;
    EXPECT_EQ(count(served, kind, text), count(rerun, kind, text)) << kind << " " << text;
  }
  std::filesystem::remove(scenario);
  std::filesystem::remove(saved);
}

TEST_F(ServeApi, ServeRefusesWhatItCannotServe) {
  // A scenario that does not parse, and a port that is taken, are status 2 with a message.
  const auto bad = writeFile("bad.scenario", "frobnicate\n");
  const std::string out = output(std::string(TESSARO_SIM) + " serve --port 0 " + bad.string() + "; echo status=$?");
  EXPECT_NE(out.find("frobnicate"), std::string::npos) << out;
  EXPECT_NE(out.find("status=2"), std::string::npos) << out;
  std::filesystem::remove(bad);
  // An expectation of the served scenario that fails ends it as a scenario run ends.
  const auto failing = writeFile("failing.scenario", "boot\nexpect display off\n");
  const std::string failed = output(std::string(TESSARO_SIM) + " serve --port 0 " + failing.string() + "; echo status=$?");
  EXPECT_NE(failed.find(":2: an expectation did not hold"), std::string::npos) << failed;
  EXPECT_NE(failed.find("status=1"), std::string::npos) << failed;
  EXPECT_EQ(failed.find("serving"), std::string::npos) << failed;
  std::filesystem::remove(failing);

  start();
  const std::string taken = output(std::string(TESSARO_SIM) + " serve --port " + std::to_string(port_) + "; echo status=$?");
  EXPECT_NE(taken.find("cannot listen"), std::string::npos) << taken;
  EXPECT_NE(taken.find("status=2"), std::string::npos) << taken;
}

}  // namespace
}  // namespace servetest
