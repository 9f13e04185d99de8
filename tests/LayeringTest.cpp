// The layers of docs/ARCHITECTURE.md, enforced on the sources: a folder of platform/ may
// include only the folders below it that the table names, and the deliverables only the
// platform's public interfaces, the ones a tweak compiles against on a phone.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kSource = TESSARO_SOURCE_DIR;

// What each folder of platform/ may include besides itself (a subfolder belongs to its
// folder: platform/uikit/gestures is uikit). Written from docs/ARCHITECTURE.md.
const std::map<std::string, std::set<std::string>> kAllowed = {
    {"objc", {}},
    {"core", {"objc"}},
    {"plist", {}},
    {"hardware", {"core"}},
    {"foundation", {"objc", "core", "plist"}},
    {"coregraphics", {"core"}},
    {"quartzcore", {"objc", "core", "foundation", "coregraphics"}},
    {"uikit", {"objc", "core", "plist", "hardware", "foundation", "coregraphics", "quartzcore"}},
    {"libcolorpicker", {"objc", "foundation", "uikit"}},
    {"audiotoolbox", {"objc", "core", "plist", "foundation"}},
    {"coremotion", {"objc", "core", "hardware", "foundation"}},
    {"telephony", {"objc", "core", "foundation"}},
    {"frontboard", {"objc", "core", "hardware", "foundation", "uikit"}},
    {"controlcenter", {"objc", "core", "plist", "foundation", "coregraphics", "quartzcore", "uikit"}},
    {"springboard",
     {"objc", "core", "plist", "hardware", "foundation", "coregraphics", "quartzcore", "uikit", "frontboard",
      "controlcenter"}},
    {"substrate", {"objc", "plist"}},
    {"device",
     {"objc", "core", "plist", "hardware", "foundation", "coregraphics", "quartzcore", "uikit", "libcolorpicker",
      "audiotoolbox", "coremotion", "telephony", "frontboard", "controlcenter", "springboard", "substrate"}},
};

// The platform's public interfaces, all that tweak/ and module/ may include: the list the
// phone build compiles against.
std::set<std::string> publicHeaders() {
  std::set<std::string> headers;
  std::ifstream list(kSource / "platform/public-headers.txt");
  for (std::string line; std::getline(list, line);) {
    if (!line.empty() && line[0] != '#') headers.insert(line);
  }
  return headers;
}

struct Include {
  fs::path file;
  int line;
  std::string header;  // "platform/uikit/UIView.h"
};

std::vector<Include> projectIncludes(const fs::path& folder) {
  static const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
  std::vector<Include> found;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const auto extension = entry.path().extension();
    if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp" && extension != ".in")) continue;
    std::ifstream in(entry.path());
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
      std::smatch match;
      if (std::regex_search(text, match, include)) found.push_back({entry.path(), line, match[1]});
    }
  }
  return found;
}

std::string folderOf(const std::string& header) {
  // "platform/uikit/gestures/X.h" -> "uikit"
  const auto start = header.find('/') + 1;
  return header.substr(start, header.find('/', start) - start);
}

std::string where(const Include& include) {
  return fs::relative(include.file, kSource).string() + ":" + std::to_string(include.line) + ": " + include.header;
}

TEST(Layering, EveryPlatformFolderIsInTheTable) {
  for (const auto& entry : fs::directory_iterator(kSource / "platform")) {
    if (!entry.is_directory()) continue;
    EXPECT_TRUE(kAllowed.contains(entry.path().filename().string()))
        << "platform/" << entry.path().filename().string() << " has no row: give it its layer";
  }
}

TEST(Layering, APlatformFolderIncludesOnlyTheLayersItMayUse) {
  for (const auto& [folder, allowed] : kAllowed) {
    const fs::path path = kSource / "platform" / folder;
    if (!fs::exists(path)) continue;
    for (const Include& include : projectIncludes(path)) {
      if (include.header.rfind("platform/", 0) != 0) {
        ADD_FAILURE() << where(include) << ": the platform includes nothing outside platform/";
        continue;
      }
      const std::string used = folderOf(include.header);
      EXPECT_TRUE(used == folder || allowed.contains(used)) << where(include) << ": " << folder << " may not use " << used;
    }
  }
}

TEST(Layering, TheDeliverablesSeeOnlyThePlatformsPublicInterfaces) {
  const std::set<std::string> allowed = publicHeaders();
  ASSERT_FALSE(allowed.empty()) << "platform/public-headers.txt is missing";
  for (const char* deliverable : {"tweak", "module"}) {
    const fs::path path = kSource / deliverable;
    if (!fs::exists(path)) continue;
    for (const Include& include : projectIncludes(path)) {
      if (include.header.rfind("platform/", 0) != 0) {
        // Its own headers only: one deliverable never includes the other.
        EXPECT_EQ(include.header.rfind(std::string(deliverable) + "/", 0), 0u) << where(include);
        continue;
      }
      EXPECT_TRUE(allowed.contains(include.header)) << where(include) << ": not a public interface of the platform";
    }
  }
}

// A public interface includes only public interfaces, and of the standard library only the
// headers that need no C library (the phone build has none), so that the phone build,
// which sees nothing else, compiles.
TEST(Layering, APublicInterfaceIncludesOnlyPublicInterfaces) {
  static const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
  static const std::regex system(R"re(^\s*#\s*include\s*<([^>]+)>)re");
  static const std::set<std::string> freestanding = {"cstddef", "cstdint", "type_traits", "concepts",
                                                     "initializer_list", "numbers", "limits"};
  // The GNU runtime's own headers, on the stand-in's side of the runtime's interface only.
  static const std::set<std::string> gnuRuntime = {"objc/message.h", "objc/runtime.h"};
  const std::set<std::string> headers = publicHeaders();
  for (const std::string& header : headers) {
    std::ifstream in(kSource / header);
    ASSERT_TRUE(in) << header << " is listed but missing";
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
      std::smatch match;
      if (std::regex_search(text, match, include)) {
        EXPECT_TRUE(headers.contains(match[1])) << header << ":" << line << ": " << match[1] << " is not public";
      } else if (std::regex_search(text, match, system)) {
        const bool fine = freestanding.contains(match[1]) ||
                          (header == "platform/objc/abi/GnuRuntime.h" && gnuRuntime.contains(match[1]));
        EXPECT_TRUE(fine) << header << ":" << line << ": <" << match[1] << "> needs a C library";
      }
    }
  }
}

}  // namespace
