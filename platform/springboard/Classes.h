#pragma once
// Internal: SpringBoard's classes, one file each, registered from Classes.cpp in this order,
// and the small helpers their methods share.

#include "platform/objc/Runtime.h"

#include <string>

namespace springboard::detail {

void registerSpringBoard();
void registerSBLockScreenManager();
void registerSBDashBoardViewController();
void registerSBBacklightController();
void registerSBUIController();
void registerSBIconController();
void registerSBUIBiometricResource();
void registerSBSystemGestureManager();
void registerSBHomeHardwareButtonGestureRecognizerConfiguration();
void registerSBHBDoubleTapUpGestureRecognizer();
void registerSBHomeHardwareButton();
void registerSBReachabilityManager();
void registerSBReachabilityWindow();
void registerSBReachabilitySettings();
void registerSBRootFolderController();
void registerSBCoverSheetWindow();

// SpringBoard's windows: the home screen and the lock screen. After the classes exist.
void makeScreens();
// The view -[SBRootFolderController rootFolderView] answers.
void setRootFolderView(id view);

// What a home click does on a lit display: closes Control Center, or goes home; nothing on
// the lock screen.
void homeClickOnLitDisplay();

// Reachability's settings, made and filled in by SpringBoard at start.
void setUpReachability();

// The shared instance of the named host class, or nil when the device has no such class.
id shared(const char* className);

std::string yesNo(BOOL value);
// A number as the log writes it: "%g".
std::string number(double value);

}  // namespace springboard::detail
