// NSBundle: a directory on the device with its information property list, its executable
// and its resources. A bundle is made once per path and lives for the process, as on the
// device. The bundle of a class is the one whose executable holds the class's code.

#include "platform/core/DeviceRoot.h"
#include "platform/foundation/Classes.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <map>

namespace foundation {

using namespace objc::literals;
using objc::send;

namespace detail {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMainBundlePath = "/System/Library/CoreServices/SpringBoard.app";

struct BundleState {
  std::string path;  // device path, without a trailing slash
  objc::Ref info;    // NSDictionary, read on first use
  bool infoRead = false;
};

BundleState& bundleOf(id self) { return objc::stateOf<BundleState>(self); }

// Every bundle made so far, by device path; never released.
std::map<std::string, id>& bundles() {
  static auto* made = new std::map<std::string, id>();
  return *made;
}

std::string normalizedDevicePath(const std::string& path) {
  std::string text = fs::path(path).lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

id bundleAt(Class cls, const std::string& devicePath) {
  auto& made = bundles();
  if (auto found = made.find(devicePath); found != made.end()) return found->second;
  id bundle = send<id()>(cls, "new"_sel);
  bundleOf(bundle).path = devicePath;
  made.emplace(devicePath, bundle);
  return bundle;
}

id bundleWithPath(id cls, SEL, id path) {
  auto text = stringOf(path);
  if (!text || text->empty() || text->front() != '/') return nil;
  const std::string devicePath = normalizedDevicePath(*text);
  auto host = core::resolve(devicePath);
  std::error_code error;
  if (!host || !fs::is_directory(*host, error)) return nil;
  return bundleAt(reinterpret_cast<Class>(cls), devicePath);
}

id mainBundle(id cls, SEL) { return bundleAt(reinterpret_cast<Class>(cls), kMainBundlePath); }

id infoDictionary(id self, SEL) {
  BundleState& state = bundleOf(self);
  if (!state.infoRead) {
    state.infoRead = true;
    objc::Ref plistPath = makeString(state.path + "/Info.plist");
    Class dictionary = objc::getClass("NSDictionary");
    id read = send<id(id)>(send<id()>(dictionary, "alloc"_sel), "initWithContentsOfFile:"_sel, plistPath.get());
    state.info = read ? objc::Ref::adopt(read) : objc::Ref::adopt(send<id()>(dictionary, "new"_sel));
  }
  return state.info;
}

id objectForInfoDictionaryKey(id self, SEL, id key) {
  return send<id(id)>(infoDictionary(self, "infoDictionary"_sel), "objectForKey:"_sel, key);
}

id bundlePath(id self, SEL) { return objc::autorelease(makeString(bundleOf(self).path).take()); }

id bundleIdentifier(id self, SEL sel) {
  id value = objectForInfoDictionaryKey(self, sel, makeString("CFBundleIdentifier"));
  return stringOf(value) ? value : nil;
}

// The executable's device path, when the information list names one that is a plain
// file name and it exists.
std::optional<std::string> executableOf(id self) {
  auto name = stringOf(objectForInfoDictionaryKey(self, "objectForInfoDictionaryKey:"_sel, makeString("CFBundleExecutable")));
  if (!name || name->empty() || name->find('/') != std::string::npos || *name == "." || *name == "..") return std::nullopt;
  const std::string devicePath = bundleOf(self).path + "/" + *name;
  auto host = core::resolve(devicePath);
  std::error_code error;
  if (!host || !fs::is_regular_file(*host, error)) return std::nullopt;
  return devicePath;
}

id executablePath(id self, SEL) {
  auto path = executableOf(self);
  return path ? objc::autorelease(makeString(*path).take()) : nil;
}

// "ON" of type "png", or "ON.png" with no type; the bundle's top directory only.
id pathForResourceOfType(id self, SEL, id name, id type) {
  auto base = stringOf(name);
  if (!base || base->empty() || base->find('/') != std::string::npos) return nil;
  std::string file = *base;
  if (auto extension = stringOf(type); extension && !extension->empty()) file += "." + *extension;
  const std::string devicePath = bundleOf(self).path + "/" + file;
  auto host = core::resolve(devicePath);
  std::error_code error;
  if (!host || !fs::is_regular_file(*host, error)) return nil;
  return objc::autorelease(makeString(devicePath).take());
}

// A host path made comparable: symbolic links resolved where the file exists.
std::string comparable(const fs::path& path) {
  std::error_code error;
  fs::path canonical = fs::weakly_canonical(path, error);
  return (error ? path : canonical).string();
}

// The bundle whose executable holds the code of `target`'s first own method, else the
// main bundle.
id bundleForClass(id cls, SEL sel, Class target) {
  unsigned int count = 0;
  Method* methods = class_copyMethodList(target, &count);
  Dl_info image{};
  const bool found = count > 0 && dladdr(reinterpret_cast<void*>(method_getImplementation(methods[0])), &image) != 0 &&
                     image.dli_fname != nullptr;
  std::free(methods);
  if (found) {
    const std::string library = comparable(image.dli_fname);
    for (const auto& [path, bundle] : bundles()) {
      auto executable = executableOf(bundle);
      if (!executable) continue;
      if (auto host = core::resolve(*executable); host && comparable(*host) == library) return bundle;
    }
  }
  return mainBundle(cls, sel);
}

}  // namespace

void registerBundleClass() {
  objc::ClassBuilder("NSBundle", objc::rootClass())
      .state<BundleState>()
      .classMethod("bundleWithPath:"_sel, &bundleWithPath)
      .classMethod("mainBundle"_sel, &mainBundle)
      .classMethod("bundleForClass:"_sel, &bundleForClass)
      .method("bundlePath"_sel, &bundlePath)
      .method("bundleIdentifier"_sel, &bundleIdentifier)
      .method("infoDictionary"_sel, &infoDictionary)
      .method("objectForInfoDictionaryKey:"_sel, &objectForInfoDictionaryKey)
      .method("executablePath"_sel, &executablePath)
      .method("pathForResource:ofType:"_sel, &pathForResourceOfType)
      .build();
}

}  // namespace detail
}  // namespace foundation
