#pragma once
// The stand-in FrontBoard: the device's one display, with its identity, and the system
// gesture manager that attaches gesture recognizers to it. Attached recognizers receive
// every home-button press of the display, lit or dark, through a UIKit gesture
// environment (see platform/uikit/gestures/GestureEnvironment.h).
//
// Two hosts are possible: the current one, whose manager answers
// addGestureRecognizer:toDisplayWithIdentity:, and an older one that answers only
// addGestureRecognizer:toDisplay:.

#include "platform/objc/Ref.h"

#include <vector>

namespace frontboard {

enum class GestureManager { Current, Older };

// FBSDisplayIdentity, FBSDisplay and FBSystemGestureManager (unless left out).
void registerClasses(GestureManager manager = GestureManager::Current);

// The main display's identity (an FBSDisplayIdentity) and the display (an FBSDisplay).
id mainDisplayIdentity();
id mainDisplay();

// The recognizers attached to the main display, in the order they were attached.
const std::vector<objc::Ref>& attachedRecognizers();

}  // namespace frontboard
