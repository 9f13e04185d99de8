#pragma once
// `tessaro-sim serve`: boots the device (the served scenario's lines first), its clock
// following the wall clock, and serves the page and its interface over HTTP (cpp-httplib)
// on 127.0.0.1 unless told another address. The device lives on the calling thread; the
// server's threads hand every request to it. Runs until the process is told to stop
// (SIGINT, SIGTERM), which removes the device's files as every run does.
//
// Safety: requests whose Host is not the address served are refused (403), and so are
// state-changing requests (POST) without an Origin of the page itself; the page's files are
// read once at start and no path a client sends is opened; uploads are capped.
//
// Fails with status 2, a message on `errors`: a scenario that does not parse, page files
// that cannot be read, an address or port that cannot be listened on; with status 1 when
// an expectation of the served scenario does not hold, as a scenario run does.

#include "tools/tessaro-sim/InputFile.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace sim::serve {

inline constexpr int kDefaultPort = 8377;

struct ServeOptions {
  std::filesystem::path scenario;  // empty: none, the device boots as it is
  std::optional<GivenFile> settingsFile;
  int port = kDefaultPort;          // 0: any free port
  std::string listen = "127.0.0.1";
  bool open = false;  // start the desktop's browser on the page
  bool strict = false;
};

// The page's files: TESSARO_SERVE_PAGE when set (a page being worked on), else the
// installed or built page.
std::filesystem::path pageDirectory();

int runServe(const ServeOptions& options, std::ostream& out, std::ostream& errors);

}  // namespace sim::serve
