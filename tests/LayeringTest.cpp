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

// The platform's public interfaces, all that tweak/ and module/ may include: the runtime,
// the substrate, and the frameworks' C functions and value types under the device's names.
const std::set<std::string> kPublicHeaders = {
    "platform/objc/Runtime.h",
    "platform/objc/Message.h",
    "platform/objc/Ref.h",
    "platform/objc/ClassBuilder.h",
    "platform/objc/Associated.h",
    "platform/objc/Block.h",
    "platform/substrate/Substrate.h",
    "platform/foundation/CFNotificationCenter.h",
    "platform/foundation/Dispatch.h",
    "platform/foundation/Literals.h",
    "platform/audiotoolbox/AudioServices.h",
    "platform/coremotion/CMAcceleration.h",
    "platform/coregraphics/CGGeometry.h",
    "platform/coregraphics/CGAffineTransform.h",
    "platform/coregraphics/CGContext.h",
    "platform/uikit/UIGraphics.h",
    "platform/libcolorpicker/libcolorpicker.h",
};

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
  for (const char* deliverable : {"tweak", "module"}) {
    const fs::path path = kSource / deliverable;
    if (!fs::exists(path)) continue;
    for (const Include& include : projectIncludes(path)) {
      if (include.header.rfind("platform/", 0) != 0) {
        // Its own headers only: one deliverable never includes the other.
        EXPECT_EQ(include.header.rfind(std::string(deliverable) + "/", 0), 0u) << where(include);
        continue;
      }
      EXPECT_TRUE(kPublicHeaders.contains(include.header)) << where(include) << ": not a public interface of the platform";
    }
  }
}

}  // namespace
