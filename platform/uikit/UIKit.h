#pragma once
// The stand-in UIKit: the application object (SpringBoard is its subclass), the screen,
// colours, images, fonts, views (text views among them) with their animations, view
// controllers, windows, image contexts, the picture of what the screen shows, and the
// gesture recognizers of the hardware buttons (gestures/).

#include "platform/coregraphics/CGImage.h"
#include "platform/objc/Runtime.h"
#include "platform/quartzcore/Values.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace uikit {

void registerClasses();
// The object `+[UIApplication sharedApplication]` answers; set once by the host.
void setSharedApplication(id application);

// The phone `+[UIScreen mainScreen]` describes, chosen before anything asks for it: the
// 4.7-inch phone with a home button (375 x 667 points at 2x) unless told otherwise.
enum class Screen { FourPointSevenInch, FivePointFiveInch };
void setMainScreen(Screen screen);
CGSize screenSize();   // in points
double screenScale();  // pixels a point

// How often the view's corners were given a radius (_setContinuousCornerRadius:), by
// anyone: a debugger's count, to tell a radius set from one never set.
std::size_t cornerRadiusSets(id view);

// The components of a UIColor; none for anything else.
std::optional<quartzcore::Color> colorComponents(id color);
// A new UIColor, owned by the autorelease pool.
id makeColor(const quartzcore::Color& color);

// A UIImage of `image` (retained) at `scale` pixels a point, owned by the autorelease pool.
id makeImage(CGImageRef image, double scale);
CGImageRef cgImageOf(id image);
// The name of the image file a UIImage shows, as a bundle names its images ("ON" for
// "ON@2x.png"), followed through drawing (coregraphics::imageOrigin); none when unknown.
std::optional<std::string> imageFileName(id image);

// Takes every running view animation (UIView animateWithDuration:...) off its layer now, as
// a view removed mid-fade would: each completion runs on a later turn with NO. Basic
// animations added to a layer directly are left alone. How many were cut.
std::size_t cutViewAnimations();

// The windows on screen (not hidden), back to front: by window level, then by the order
// they were made.
std::vector<id> visibleWindows();

// What the screen shows now, at its scale: black while the display is dark, otherwise
// every visible window with what it holds, animations at their present values. Owned by
// the caller.
CGImageRef renderScreen();
// One view as it is placed in its superview (its transform about its centre and its alpha
// applied), on a transparent canvas the size of its untransformed frame, at the screen's
// scale. NULL for a view of no area. Owned by the caller.
CGImageRef renderView(id view);

}  // namespace uikit
