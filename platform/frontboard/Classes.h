#pragma once
// Internal: FrontBoard's classes, one file each, registered from FrontBoard.cpp.

#include "platform/frontboard/FrontBoard.h"

namespace uikit {
class GestureEnvironment;
}

namespace frontboard::detail {

void registerFBSDisplayIdentity();
void registerFBSDisplay();
void registerFBSystemGestureManager(GestureManager manager);

// The main display's recognizers and the presses they share.
uikit::GestureEnvironment& mainEnvironment();

}  // namespace frontboard::detail
