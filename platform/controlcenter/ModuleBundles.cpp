// Loading module bundles: each bundle's information property list is checked, its
// executable loaded and its principal class made, or the bundle is skipped with the
// reason. Nothing a bundle holds can stop the host.

#include "platform/core/DeviceRoot.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/Message.h"
#include "platform/plist/PropertyList.h"
#include "platform/controlcenter/Classes.h"

#include <dlfcn.h>

#include <algorithm>

namespace controlcenter::detail {
namespace {

namespace fs = std::filesystem;
using namespace objc::literals;
using objc::send;

// The string under `key`, or none when it is missing, empty or not a string.
std::optional<std::string> stringIn(const plist::Dictionary& info, const char* key) {
  auto found = info.find(key);
  const std::string* text = found == info.end() ? nullptr : found->second.asString();
  if (text == nullptr || text->empty()) return std::nullopt;
  return *text;
}

bool isSubclass(Class cls, Class base) {
  for (Class c = cls; c != Nil; c = class_getSuperclass(c)) {
    if (c == base) return true;
  }
  return false;
}

// Loads one bundle; the reason it was skipped, or "" with `module` set.
std::string loadBundle(const std::string& devicePath, const fs::path& hostPath, const std::vector<std::string>& taken,
                       BundleResult& result, id& module) {
  const BundleInfo info = readBundleInfo(hostPath / "Info.plist");
  result.identifier = info.identifier;
  if (!info.reason.empty()) return info.reason;
  if (std::find(taken.begin(), taken.end(), info.identifier) != taken.end()) {
    return "identifier " + info.identifier + " is taken";
  }
  std::error_code error;
  if (!fs::is_regular_file(hostPath / info.executable, error)) return "executable " + info.executable + " is missing";
  // The bundle object first, so that -bundleForClass: finds it for the classes it holds.
  send<id(id)>(objc::getClass("NSBundle"), "bundleWithPath:"_sel, foundation::makeString(devicePath).get());
  if (dlopen((hostPath / info.executable).c_str(), RTLD_NOW | RTLD_LOCAL) == nullptr) {
    const char* why = dlerror();
    return std::string("executable does not load: ") + (why ? why : "unknown error");
  }
  Class cls = objc::getClass(info.principalClass.c_str());
  if (cls == Nil) return "principal class " + info.principalClass + " is not defined by the executable";
  if (!isSubclass(cls, objc::getClass("CCUIToggleModule"))) {
    return "principal class " + info.principalClass + " is not a CCUIToggleModule";
  }
  module = makeModule(cls, info.identifier);
  return "";
}

}  // namespace

BundleInfo readBundleInfo(const std::filesystem::path& infoPath) {
  BundleInfo result;
  const auto skipped = [&](std::string reason) {
    result.reason = std::move(reason);
    return result;
  };
  std::error_code error;
  if (!fs::exists(infoPath, error)) return skipped("no Info.plist");
  const auto info = plist::readDictionary(infoPath);
  if (!info) return skipped("Info.plist is not a readable property-list dictionary");
  const auto identifier = stringIn(*info, "CFBundleIdentifier");
  const auto executable = stringIn(*info, "CFBundleExecutable");
  const auto principal = stringIn(*info, "NSPrincipalClass");
  if (!identifier) return skipped("Info.plist gives no CFBundleIdentifier string");
  result.identifier = *identifier;
  if (!executable) return skipped("Info.plist gives no CFBundleExecutable string");
  if (!principal) return skipped("Info.plist gives no NSPrincipalClass string");
  if (executable->find('/') != std::string::npos || *executable == "." || *executable == "..") {
    return skipped("CFBundleExecutable \"" + *executable + "\" is not a file name");
  }
  result.executable = *executable;
  result.principalClass = *principal;
  return result;
}

std::vector<BundleResult> loadBundles(const std::string& directory, std::vector<std::string> taken,
                                      std::vector<Loaded>& modules) {
  std::vector<BundleResult> results;
  auto hostDirectory = core::resolve(directory);
  std::error_code error;
  if (!hostDirectory || !fs::is_directory(*hostDirectory, error)) return results;
  std::vector<std::string> names;
  for (fs::directory_iterator it(*hostDirectory, error), end; !error && it != end; it.increment(error)) {
    if (it->path().extension() == ".bundle" && it->is_directory(error)) names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    BundleResult& result = results.emplace_back();
    result.bundle = name;
    id module = nil;
    result.reason = loadBundle(directory + "/" + name, *hostDirectory / name, taken, result, module);
    result.loaded = result.reason.empty();
    if (!result.loaded) continue;
    taken.push_back(result.identifier);
    modules.push_back({result.identifier, module});
  }
  return results;
}

}  // namespace controlcenter::detail
