#pragma once
// The path of a rectangle with rounded corners, as layers draw their backgrounds and
// clips. Circular corners are quarter circles; continuous ones start the curve earlier
// along each edge and ease into it, so that the edge's curvature grows without a jump, as
// the device's continuous corners do; when that would not fit along the edges, the
// corners are circular. A radius larger than half the shorter side is reduced to it; 0
// or less gives the plain rectangle.

#include "platform/coregraphics/CGContext.h"

namespace coregraphics {

void addRoundedRect(CGContextRef c, CGRect rect, CGFloat radius, bool continuous);

}  // namespace coregraphics
