#pragma once
// A whole device: the stand-in SpringBoard with its frameworks, a device root directory
// for its files, and the libraries of its DynamicLibraries directory loaded at start.
// The runtime is process-global and hooks cannot be taken back, so there is one device per
// process: constructing a second one is an error.

#include "platform/controlcenter/ControlCenter.h"
#include "platform/core/HostClasses.h"
#include "platform/core/EventLog.h"
#include "platform/frontboard/FrontBoard.h"
#include "platform/plist/PropertyList.h"
#include "platform/springboard/SpringBoard.h"
#include "platform/substrate/Loader.h"
#include "platform/uikit/UIKit.h"

#include <cstdint>

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace device {

inline constexpr const char* kSettingsPath = "/var/mobile/Library/Preferences/com.brel.tessaro.plist";
inline constexpr const char* kStylingPath = "/var/mobile/Library/Preferences/com.brel.corvel.plist";
inline constexpr const char* kDynamicLibraries = "/Library/MobileSubstrate/DynamicLibraries";

struct BootOptions {
  std::filesystem::path root;                 // empty: a fresh temporary directory
  std::set<std::string> absentClasses;        // host classes this device does not have
  // Host methods this device's classes lack, and selectors its classes have methods of
  // their own for (see HostVariants.h), as (class, selector).
  std::set<core::MethodName> absentMethods;
  std::set<core::MethodName> ownMethods;
  std::optional<plist::Dictionary> settings;  // the tweak's settings file, written before start
  std::vector<std::pair<std::string, plist::Dictionary>> files;  // other property lists, by device path
  // Other files of the host's, copied to device paths before start (an image, say).
  std::vector<std::pair<std::string, std::filesystem::path>> copies;
  // Files written byte for byte at device paths before start (a settings file from a
  // phone), after `settings` and `files`.
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> rawFiles;
  // Device paths the device's processes may not read (see core::setUnreadable).
  std::set<std::string> unreadableFiles;
  bool loadTweak = true;                      // put the built Tessaro into DynamicLibraries
  std::filesystem::path tweakLibrary;         // empty: the one this build made
  bool realtime = false;
  bool motionSensor = true;
  bool sleepsWhenIdle = false;  // a dark device sleeps past its idle-sleep window
  // The older host's gesture manager answers only addGestureRecognizer:toDisplay:.
  frontboard::GestureManager gestureManager = frontboard::GestureManager::Current;
  bool homeButtonWakesDisplay = false;  // a physical home press lights a dark display
  // Runs after the host's classes exist and before any library loads (a test giving the
  // host a method of its own, say).
  std::function<void()> beforeLoad;
  uikit::Screen screen = uikit::Screen::FourPointSevenInch;
  std::uint64_t randomSeed = 1;  // arc4random's sequence
  bool loadModule = true;        // put the built TessaroModule.bundle into Control Center's bundles
  std::filesystem::path moduleBundle;  // empty: the one this build made
  // The host's toggle button keeps its highlight view in "_highlightedBackgroundView".
  bool buttonHighlightIvar = true;
  // The home screen's root folder controller gives its view.
  bool rootFolderView = true;
};

class Device {
 public:
  explicit Device(const BootOptions& options = {});
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  // Driving the main run loop.
  double now() const;
  void runFor(double seconds);
  void runUntil(double time);
  bool runUntilIdle(double limitSeconds = 3600.0);
  // One turn of the main run loop (see core::RunLoop::runTurn): how many pieces of work ran.
  std::size_t runTurn();
  // The device time of the earliest work it may run (a sleeping device holds some back),
  // or infinity.
  double nextWorkTime() const;

  // The user, and the world around the device.
  void pressLockButton();
  // The physical home button at the present device time: down, up, and a click held
  // `seconds` (the device runs while it is held).
  void homeButtonDown();
  void homeButtonUp();
  void clickHomeButton(double seconds = 0.1);
  bool homeButtonIsDown() const;
  // A finger on the fingerprint sensor: the sensor reports `event` to the lock screen.
  void reportBiometricEvent(long long event);
  void toggleReachability();
  // SpringBoard builds the home button's gesture recognizers again.
  void rebuildHomeButtonGestures();
  void setHomeButtonWakesDisplay(bool wakes);
  bool unlock();
  // SpringBoard's own moments: screen-off mode told to the lock screen, the lock screen
  // presented again (false when it is not up), one of reachability's settings stored again
  // (false without them), every running view animation cut short (how many).
  void reportScreenOffMode(bool screenOff);
  bool presentLockScreenAgain();
  bool storeReachabilitySetting(const std::string& setting, double value);
  std::size_t cutViewAnimations();
  // The home button's recognizers, by getter of its configuration and as attached.
  springboard::HomeGestures homeGestures() const;
  // The next device-motion delivery hands its handler an error and no reading.
  void failNextMotionDelivery();
  void setLowPowerMode(bool enabled);
  void setCharging(bool charging);
  void setCallInProgress(bool inCall);

  // Another process: a settings editor writing its file, anyone posting a notification.
  bool writeSettings(const plist::Dictionary& settings);
  std::optional<plist::Dictionary> readSettings() const;
  // Any property list of the device by its path (the styling file, say), written whole.
  bool writePropertyList(const std::string& devicePath, const plist::Dictionary& contents);
  std::optional<plist::Dictionary> readPropertyList(const std::string& devicePath) const;
  // Another process puts exactly these bytes in place, atomically; or removes the file.
  bool replaceFile(const std::string& devicePath, std::span<const std::uint8_t> bytes);
  bool removeFile(const std::string& devicePath);
  // The device's own processes may not read the file (see core::setUnreadable).
  void setUnreadable(const std::string& devicePath, bool unreadable);
  void postNotification(const std::string& name);

  bool displayOn() const;
  bool lockScreenUp() const;
  bool reachabilityActive() const;
  const std::vector<substrate::LoadResult>& loadedLibraries() const { return loaded_; }
  // What of the host's variants could not be had (an absent method no class had, an own
  // method for a class there is not), one message each; empty when all was. A device with
  // any does not start: no file is written and no library loads.
  const std::vector<std::string>& variantProblems() const { return variantProblems_; }

  // Control Center: the user opens and closes it and taps its toggles (by module
  // identifier). Each answers false, doing nothing, when it cannot be done.
  bool openControlCenter();
  bool closeControlCenter();
  bool controlCenterOpen() const;
  controlcenter::Tap tapToggle(const std::string& identifier);
  std::optional<controlcenter::Look> toggleLook(const std::string& identifier) const;
  std::optional<controlcenter::Shown> toggleShown(const std::string& identifier) const;
  const std::vector<controlcenter::BundleResult>& moduleBundles() const { return bundles_; }

  // PNG pictures at the screen's scale and the present device time: the whole screen, or
  // one toggle's view. False with `why` filled in when it cannot be written.
  bool snapshot(const std::filesystem::path& file, std::string& why) const;
  bool snapshotToggle(const std::string& identifier, const std::filesystem::path& file, std::string& why) const;
  // The home screen's window as it looks, whatever covers it (the lock screen, say).
  bool snapshotHomeScreen(const std::filesystem::path& file, std::string& why) const;
  core::EventLog& log() const { return core::eventLog(); }

  // A live view of the screen: the screen drawn now, and when its pixels differ from the
  // last frame's (or on the first call) that picture encoded for speed as PNG into `png`.
  // True when it changed. Unlike a snapshot it records no event.
  bool renderScreenFrame(std::vector<std::uint8_t>& png) const;
  // Where a toggle's view shows on the screen now, in points; none for an unknown toggle
  // or one whose view has not loaded.
  std::optional<CGRect> toggleFrame(const std::string& identifier) const;

  // The built Tessaro library, as CMake placed it.
  static std::filesystem::path builtTweakLibrary();
  // The built TessaroModule.bundle, as CMake placed it.
  static std::filesystem::path builtModuleBundle();

 private:
  std::vector<substrate::LoadResult> loaded_;
  std::vector<controlcenter::BundleResult> bundles_;
  std::vector<std::string> variantProblems_;
};

}  // namespace device
