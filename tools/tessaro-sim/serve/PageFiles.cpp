#include "tools/tessaro-sim/serve/PageFiles.h"

#include <fstream>
#include <sstream>

namespace sim::serve {

namespace {

std::string contentTypeOf(const std::filesystem::path& file) {
  const std::string extension = file.extension().string();
  if (extension == ".html") return "text/html; charset=utf-8";
  if (extension == ".css") return "text/css; charset=utf-8";
  if (extension == ".js" || extension == ".mjs") return "text/javascript; charset=utf-8";
  if (extension == ".svg") return "image/svg+xml";
  if (extension == ".png") return "image/png";
  if (extension == ".json") return "application/json";
  if (extension == ".ico") return "image/x-icon";
  return "application/octet-stream";
}

bool plainName(const std::string& name) {
  if (name.empty() || name.front() == '.') return false;
  for (char c : name) {
    if (!plainNameCharacter(c)) return false;
  }
  return true;
}

}  // namespace

PageFiles::PageFiles(const std::filesystem::path& directory) {
  std::error_code error;
  std::filesystem::directory_iterator entries(directory, error);
  if (error) throw PageError("the page's files " + directory.string() + ": " + error.message());
  std::size_t total = 0;
  for (const auto& entry : entries) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file(error) || !plainName(name)) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in) throw PageError("the page's file " + entry.path().string() + " cannot be read");
    total += bytes.str().size();
    if (total > kMaxPageBytes) throw PageError("the page's files " + directory.string() + " are larger than 8 MiB");
    files_.emplace(name, PageFile{contentTypeOf(entry.path()), bytes.str()});
  }
  if (!files_.contains("index.html")) throw PageError("the page's files " + directory.string() + " have no index.html");
}

const PageFile* PageFiles::find(const std::string& requestPath) const {
  const std::string name = requestPath == "/" ? "index.html" : requestPath.substr(requestPath.rfind('/') + 1);
  if (requestPath != "/" && requestPath != "/" + name) return nullptr;  // the page has no folders
  const auto found = files_.find(name);
  return found == files_.end() ? nullptr : &found->second;
}

}  // namespace sim::serve
