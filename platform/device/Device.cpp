#include "platform/device/Device.h"

#include "platform/controlcenter/ControlCenter.h"
#include "platform/core/DeviceRoot.h"
#include "platform/core/Installation.h"
#include "platform/core/HostClasses.h"
#include "platform/core/Random.h"
#include "platform/core/RunLoop.h"
#include "platform/coregraphics/PNG.h"
#include "platform/coremotion/CoreMotion.h"
#include "platform/device/HostVariants.h"
#include "platform/device/MessageTrace.h"
#include "platform/device/TweakFilter.h"
#include "platform/foundation/CFNotificationCenter.h"
#include "platform/foundation/Foundation.h"
#include "platform/frontboard/FrontBoard.h"
#include "platform/hardware/Display.h"
#include "platform/hardware/HomeButton.h"
#include "platform/hardware/MotionWorld.h"
#include "platform/hardware/Power.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/Fatal.h"
#include "platform/objc/Message.h"
#include "platform/objc/MethodObserver.h"
#include "platform/quartzcore/QuartzCore.h"
#include "platform/springboard/SpringBoard.h"
#include "platform/telephony/Telephony.h"

#include <dlfcn.h>

#include <cstdlib>
#include <fstream>

namespace device {
namespace {

bool booted = false;

// The class a library last looked up and did not find: a library installing hooks looks a
// class up once and then applies its rows to nil, so this names the class of those rows.
std::string lastMissingClass = "nil";

Class noteUnknownClass(const char* name) {
  lastMissingClass = name;
  core::record("class", lastMissingClass + " not loaded", {{"class", lastMissingClass}});
  return Nil;
}

// Whether `caller` is code of a library the substrate loads: one in DynamicLibraries.
bool inDynamicLibraries(const void* caller) {
  Dl_info image{};
  if (dladdr(caller, &image) == 0 || image.dli_fname == nullptr) return false;
  const auto directory = core::resolve(kDynamicLibraries);
  return directory && std::filesystem::path(image.dli_fname).parent_path() == *directory;
}

// Hooks come only from libraries; a method added by the device's own class definitions is
// not a library's change.
void recordMethodChange(objc::MethodChange change, Class cls, SEL sel, const char* types, const void* caller) {
  if (caller != nullptr && !inDynamicLibraries(caller)) return;
  const std::string className = cls ? objc::nameOf(cls) : lastMissingClass;
  const std::string selector = sel_getName(sel);
  core::record("hook", "-[" + className + " " + selector + "] " + objc::describe(change),
               {{"class", className}, {"selector", selector}, {"types", types ? types : ""},
                {"result", objc::describe(change)}});
}

bool writeDevicePlist(const std::string& devicePath, const plist::Dictionary& contents) {
  auto hostPath = core::resolve(devicePath);
  // As preferences are written: XML, unless a value would not come back from it as it was.
  const bool written = hostPath && core::ensureParentDirectories(*hostPath) &&
                       plist::writeDictionaryAtomically(contents, *hostPath, plist::Format::XmlOrBinary);
  core::record("file.write", devicePath + (written ? "" : " (failed)"), {{"path", devicePath}, {"ok", written}});
  return written;
}

// Exactly these bytes at a device path, put in place whole.
bool writeDeviceFile(const std::string& devicePath, std::span<const std::uint8_t> bytes) {
  auto hostPath = core::resolve(devicePath);
  const bool written = hostPath && core::ensureParentDirectories(*hostPath) && plist::writeFileAtomically(bytes, *hostPath);
  core::record("file.write", devicePath + (written ? "" : " (failed)") + " (" + std::to_string(bytes.size()) + " bytes as given)",
               {{"path", devicePath}, {"ok", written}, {"bytes", bytes.size()}});
  return written;
}

// Puts the tweak and its filter into DynamicLibraries, as its package installs them.
void installTweak(const std::filesystem::path& library) {
  auto directory = core::resolve(kDynamicLibraries);
  std::filesystem::create_directories(*directory);
  std::error_code error;
  std::filesystem::create_symlink(std::filesystem::absolute(library), *directory / "Tessaro.dylib", error);
  if (error) objc::fatal("cannot install %s: %s", library.c_str(), error.message().c_str());
  // The filter the package installs, byte for byte.
  std::ofstream(*directory / "Tessaro.plist", std::ios::binary) << kTweakFilter;
}

// Puts the module bundle into Control Center's bundles directory, as its package does.
void installModule(const std::filesystem::path& bundle) {
  auto directory = core::resolve(controlcenter::kModuleBundles);
  std::filesystem::create_directories(*directory);
  std::error_code error;
  std::filesystem::create_directory_symlink(std::filesystem::absolute(bundle), *directory / bundle.filename(), error);
  if (error) objc::fatal("cannot install %s: %s", bundle.c_str(), error.message().c_str());
}

bool writePicture(CGImageRef image, const std::filesystem::path& file, std::string& why) {
  const bool written = coregraphics::writePNG(image, file, why);
  CGImageRelease(image);
  core::record("snapshot", file.string() + (written ? "" : " (failed: " + why + ")"),
               {{"file", file.string()}, {"ok", written}});
  return written;
}

// A file of the host's, put at a device path. One that cannot be copied is an error of
// whoever asked: the device would otherwise start without what it was promised.
void copyToDevice(const std::filesystem::path& source, const std::string& devicePath) {
  auto hostPath = core::resolve(devicePath);
  std::error_code error;
  if (!hostPath || !core::ensureParentDirectories(*hostPath) ||
      !std::filesystem::copy_file(source, *hostPath, std::filesystem::copy_options::overwrite_existing, error)) {
    objc::fatal("cannot copy %s to the device's %s: %s", source.c_str(), devicePath.c_str(),
                error ? error.message().c_str() : "not a device path");
  }
  core::record("file.write", devicePath, {{"path", devicePath}, {"ok", true}, {"from", source.string()}});
}

}  // namespace

Device::Device(const BootOptions& options) {
  if (booted) objc::fatal("a device is already running in this process");
  booted = true;
  if (!options.root.empty()) core::setRoot(options.root);
  core::RunLoop::main().setRealtime(options.realtime);
  objc::AutoreleasePool pool;

  core::seedRandom(options.randomSeed);
  uikit::setMainScreen(options.screen);
  core::setAbsentClasses(options.absentClasses);
  for (const std::string& name : options.absentClasses) core::record("boot", "host without " + name, {{"absent", name}});
  core::setAbsentMethods(options.absentMethods);
  foundation::registerClasses();
  frontboard::registerClasses(options.gestureManager);
  springboard::registerClasses();
  telephony::registerClasses();
  controlcenter::registerClasses({.highlightIvar = options.buttonHighlightIvar});
  coremotion::registerClasses();
  hardware::motionWorld().setSensorPresent(options.motionSensor);
  hardware::power().setSleepsWhenIdle(options.sleepsWhenIdle);
  springboard::state().homeButtonWakesDisplay = options.homeButtonWakesDisplay;
  springboard::state().rootFolderHasView = options.rootFolderView;
  for (const core::MethodName& method : options.absentMethods) {
    if (core::absentMethodsNotFound().contains(method)) {
      variantProblems_.push_back(methodName(method) + ": the host has no such method to be without");
    } else {
      core::record("boot", "host without " + methodName(method), {{"class", method.first}, {"selector", method.second}});
    }
  }
  for (std::string& problem : addHostMethods(options.ownMethods)) variantProblems_.push_back(std::move(problem));
  // A host that cannot be had does not start: nothing loads into it.
  if (!variantProblems_.empty()) return;
  objc::setMethodObserver(&recordMethodChange);
  objc_setGetUnknownClassHandler(&noteUnknownClass);

  if (options.settings) writeDevicePlist(kSettingsPath, *options.settings);
  for (const auto& [path, contents] : options.files) writeDevicePlist(path, contents);
  for (const auto& [path, source] : options.copies) copyToDevice(source, path);
  for (const std::string& path : options.unreadableFiles) core::setUnreadable(path, true);
  for (const auto& [path, bytes] : options.rawFiles) {
    if (!writeDeviceFile(path, bytes)) objc::fatal("cannot write the device's %s", path.c_str());
  }
  if (options.loadTweak) installTweak(options.tweakLibrary.empty() ? builtTweakLibrary() : options.tweakLibrary);
  if (options.loadModule) installModule(options.moduleBundle.empty() ? builtModuleBundle() : options.moduleBundle);

  if (options.beforeLoad) options.beforeLoad();
  core::record("boot", "SpringBoard starts; root " + core::root().string(), {{"root", core::root().string()}});
  if (auto libraries = core::resolve(kDynamicLibraries); libraries && std::filesystem::is_directory(*libraries)) {
    loaded_ = substrate::loadDynamicLibraries(*libraries, "com.apple.springboard");
  }
  for (const auto& result : loaded_) {
    core::record("library", result.library + (result.loaded ? " loaded" : " not loaded: " + result.reason),
                 {{"library", result.library}, {"loaded", result.loaded}, {"reason", result.reason}});
  }
  traceAddedMethods();
  springboard::finishLaunching();
  bundles_ = controlcenter::start();
}

std::filesystem::path Device::builtModuleBundle() {
  if (const char* override = std::getenv("TESSARO_MODULE_BUNDLE")) return override;
  return core::locate("lib/tessaro/TessaroModule.bundle", TESSARO_BUILT_MODULE);
}

bool Device::openControlCenter() {
  objc::AutoreleasePool pool;
  return controlcenter::present();
}

bool Device::closeControlCenter() {
  objc::AutoreleasePool pool;
  return controlcenter::dismiss();
}

bool Device::controlCenterOpen() const { return controlcenter::isPresented(); }

controlcenter::Tap Device::tapToggle(const std::string& identifier) {
  objc::AutoreleasePool pool;
  return controlcenter::tap(identifier);
}

std::optional<controlcenter::Look> Device::toggleLook(const std::string& identifier) const {
  objc::AutoreleasePool pool;
  return controlcenter::look(identifier);
}

std::optional<controlcenter::Shown> Device::toggleShown(const std::string& identifier) const {
  objc::AutoreleasePool pool;
  return controlcenter::shown(identifier);
}

bool Device::snapshot(const std::filesystem::path& file, std::string& why) const {
  objc::AutoreleasePool pool;
  return writePicture(uikit::renderScreen(), file, why);
}

bool Device::snapshotHomeScreen(const std::filesystem::path& file, std::string& why) const {
  objc::AutoreleasePool pool;
  id window = springboard::homeScreenWindow();
  if (window == nil) {
    why = "the device has no home screen";
    return false;
  }
  return writePicture(uikit::renderView(window), file, why);
}

bool Device::snapshotToggle(const std::string& identifier, const std::filesystem::path& file, std::string& why) const {
  objc::AutoreleasePool pool;
  id controller = controlcenter::controllerFor(identifier);
  if (controller == nil || !objc::send<BOOL()>(controller, objc::selector<"isViewLoaded">())) {
    why = controller == nil ? "no toggle " + identifier : "the toggle's view has not loaded: open Control Center first";
    return false;
  }
  return writePicture(uikit::renderView(objc::send<id()>(controller, objc::selector<"view">())), file, why);
}

bool Device::renderScreenFrame(std::vector<std::uint8_t>& png) const {
  objc::AutoreleasePool pool;
  // The last frame's picture, kept to compare the next with; one device a process.
  static CGImageRef lastFrame = nullptr;
  CGImageRef frame = uikit::renderScreen();
  if (lastFrame != nullptr && coregraphics::samePixels(frame, lastFrame)) {
    CGImageRelease(frame);
    return false;
  }
  CGImageRelease(lastFrame);
  lastFrame = frame;
  png = coregraphics::encodePNGForSpeed(frame);
  return true;
}

std::optional<CGRect> Device::toggleFrame(const std::string& identifier) const {
  objc::AutoreleasePool pool;
  id controller = controlcenter::controllerFor(identifier);
  if (controller == nil || !objc::send<BOOL()>(controller, objc::selector<"isViewLoaded">())) return std::nullopt;
  id view = objc::send<id()>(controller, objc::selector<"view">());
  return quartzcore::frameInRootPicture(objc::send<id()>(view, objc::selector<"layer">()));
}

std::filesystem::path Device::builtTweakLibrary() {
  if (const char* override = std::getenv("TESSARO_TWEAK_LIBRARY")) return override;
  return core::locate("lib/tessaro/Tessaro.dylib", TESSARO_BUILT_TWEAK);
}

double Device::now() const { return core::RunLoop::main().now(); }
void Device::runFor(double seconds) { core::RunLoop::main().runFor(seconds); }
void Device::runUntil(double time) { core::RunLoop::main().runUntil(time); }
std::size_t Device::runTurn() { return core::RunLoop::main().runTurn(); }
double Device::nextWorkTime() const { return core::RunLoop::main().nextRunnableTime(); }
bool Device::runUntilIdle(double limitSeconds) { return core::RunLoop::main().runUntilIdle(now() + limitSeconds); }

void Device::pressLockButton() {
  objc::AutoreleasePool pool;
  springboard::pressLockButton(false);
}
void Device::homeButtonDown() {
  objc::AutoreleasePool pool;
  hardware::homeButton().down();
}
void Device::homeButtonUp() {
  objc::AutoreleasePool pool;
  hardware::homeButton().up();
}
bool Device::homeButtonIsDown() const { return hardware::homeButton().isDown(); }
void Device::clickHomeButton(double seconds) {
  homeButtonDown();
  runFor(seconds);
  homeButtonUp();
}
void Device::reportBiometricEvent(long long event) {
  objc::AutoreleasePool pool;
  springboard::reportBiometricEvent(event);
}
void Device::toggleReachability() {
  objc::AutoreleasePool pool;
  springboard::toggleReachability();
}
void Device::rebuildHomeButtonGestures() {
  objc::AutoreleasePool pool;
  springboard::buildHomeButtonGestures();
}
void Device::setHomeButtonWakesDisplay(bool wakes) { springboard::state().homeButtonWakesDisplay = wakes; }
bool Device::reachabilityActive() const { return springboard::reachabilityActive(); }
bool Device::unlock() {
  objc::AutoreleasePool pool;
  return springboard::unlock();
}
void Device::reportScreenOffMode(bool screenOff) {
  objc::AutoreleasePool pool;
  springboard::reportScreenOffMode(screenOff);
}
bool Device::presentLockScreenAgain() {
  objc::AutoreleasePool pool;
  return springboard::presentLockScreenAgain();
}
bool Device::storeReachabilitySetting(const std::string& setting, double value) {
  objc::AutoreleasePool pool;
  return springboard::storeReachabilitySetting(setting, value);
}
std::size_t Device::cutViewAnimations() {
  objc::AutoreleasePool pool;
  return uikit::cutViewAnimations();
}
springboard::HomeGestures Device::homeGestures() const { return springboard::homeGestures(); }
void Device::failNextMotionDelivery() { coremotion::failNextDelivery(); }
void Device::setLowPowerMode(bool enabled) { foundation::setLowPowerMode(enabled); }
void Device::setCharging(bool charging) { hardware::power().setCharging(charging); }
void Device::setCallInProgress(bool inCall) { telephony::setCallInProgress(inCall); }

bool Device::writeSettings(const plist::Dictionary& settings) { return writeDevicePlist(kSettingsPath, settings); }

std::optional<plist::Dictionary> Device::readSettings() const { return readPropertyList(kSettingsPath); }

bool Device::writePropertyList(const std::string& devicePath, const plist::Dictionary& contents) {
  return writeDevicePlist(devicePath, contents);
}

std::optional<plist::Dictionary> Device::readPropertyList(const std::string& devicePath) const {
  auto path = core::resolve(devicePath);
  return path ? plist::readDictionary(*path) : std::nullopt;
}

bool Device::replaceFile(const std::string& devicePath, std::span<const std::uint8_t> bytes) {
  return writeDeviceFile(devicePath, bytes);
}

bool Device::removeFile(const std::string& devicePath) {
  auto hostPath = core::resolve(devicePath);
  std::error_code error;
  const bool removed = hostPath && std::filesystem::remove(*hostPath, error);
  core::record("file.remove", devicePath + (removed ? "" : " (there was none)"), {{"path", devicePath}, {"ok", removed}});
  return removed;
}

void Device::setUnreadable(const std::string& devicePath, bool unreadable) { core::setUnreadable(devicePath, unreadable); }

void Device::postNotification(const std::string& name) {
  objc::AutoreleasePool pool;
  CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), foundation::makeString(name), nullptr,
                                       nil, 1);
}

bool Device::displayOn() const { return hardware::display().isOn(); }
bool Device::lockScreenUp() const { return springboard::state().lockScreenUp; }

}  // namespace device
