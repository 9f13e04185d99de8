#pragma once
// UIKit's image contexts, as a library compiles against them: a stack of bitmap contexts
// that draw in points, and the image of the top one.
//
// Begin opens a context of `size` points at `scale` pixels a point (0: the screen's own),
// transparent unless opaque, its CTM scaled so that one unit is a point; the pixel size is
// rounded up. A size of no area, or one beyond the bitmap limits, opens no context: the
// current context is then NULL and its image nil until the matching End, and the device's
// log says why. End closes the top context; without one it does nothing.

#include "platform/coregraphics/CGContext.h"
#include "platform/coregraphics/CGGeometry.h"
#include "platform/objc/Runtime.h"

extern "C" {
void UIGraphicsBeginImageContextWithOptions(CGSize size, BOOL opaque, CGFloat scale);
CGContextRef UIGraphicsGetCurrentContext(void);
// A UIImage of the top context's pixels at its scale, owned by the autorelease pool.
id UIGraphicsGetImageFromCurrentImageContext(void);
void UIGraphicsEndImageContext(void);
}
