// The image-context stack of UIGraphics.h over CoreGraphics' bitmap contexts.

#include "platform/uikit/UIGraphics.h"

#include "platform/core/EventLog.h"
#include "platform/coregraphics/CGBitmapContext.h"
#include "platform/uikit/UIKit.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

struct ImageContext {
  CGContextRef context = nullptr;  // owned; null when the size was refused
  double scale = 1;
};

std::vector<ImageContext>& stack() {
  static auto* contexts = new std::vector<ImageContext>();
  return *contexts;
}

// Pixels for `points`, rounded up; a hair over a whole number is that number.
std::size_t pixels(double points, double scale) {
  const double exact = points * scale;
  if (!std::isfinite(exact) || exact <= 0 || exact > static_cast<double>(coregraphics::kMaxBitmapSide)) return 0;
  return static_cast<std::size_t>(std::ceil(exact - 1e-9));
}

}  // namespace

extern "C" {

void UIGraphicsBeginImageContextWithOptions(CGSize size, BOOL opaque, CGFloat scale) {
  if (!(scale > 0) || !std::isfinite(scale)) scale = uikit::screenScale();
  const std::size_t width = pixels(size.width, scale), height = pixels(size.height, scale);
  ImageContext entry{width && height ? coregraphics::createBitmapContext(width, height, opaque != NO) : nullptr, scale};
  if (entry.context == nullptr) {
    char text[160];
    std::snprintf(text, sizeof text, "UIGraphicsBeginImageContextWithOptions: no context for size {%g, %g} at scale %g",
                  size.width, size.height, scale);
    core::record("graphics", text, {{"width", size.width}, {"height", size.height}, {"scale", scale}});
  } else {
    CGContextScaleCTM(entry.context, scale, scale);
  }
  stack().push_back(entry);
}

CGContextRef UIGraphicsGetCurrentContext(void) { return stack().empty() ? nullptr : stack().back().context; }

id UIGraphicsGetImageFromCurrentImageContext(void) {
  if (stack().empty() || stack().back().context == nullptr) return nil;
  CGImageRef image = CGBitmapContextCreateImage(stack().back().context);
  id made = uikit::makeImage(image, stack().back().scale);
  CGImageRelease(image);
  return made;
}

void UIGraphicsEndImageContext(void) {
  if (stack().empty()) return;
  CGContextRelease(stack().back().context);
  stack().pop_back();
}

}  // extern "C"
