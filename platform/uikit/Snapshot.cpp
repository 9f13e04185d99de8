// The picture of the screen, and of one view, through the layers' rendering.

#include "platform/coregraphics/CGBitmapContext.h"
#include "platform/hardware/Display.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/QuartzCore.h"
#include "platform/uikit/UIKit.h"

#include <cmath>

namespace uikit {

namespace {

using namespace objc::literals;
using objc::send;

std::size_t pixels(double points) { return static_cast<std::size_t>(std::ceil(points * screenScale() - 1e-9)); }

}  // namespace

CGImageRef renderScreen() {
  const CGSize size = screenSize();
  CGContextRef context = coregraphics::createBitmapContext(pixels(size.width), pixels(size.height), true);
  if (hardware::display().isOn()) {
    CGContextScaleCTM(context, screenScale(), screenScale());
    for (id window : visibleWindows()) quartzcore::renderPlaced(send<id()>(window, "layer"_sel), context);
  }
  CGImageRef image = CGBitmapContextCreateImage(context);
  CGContextRelease(context);
  return image;
}

CGImageRef renderView(id view) {
  id layer = send<id()>(view, "layer"_sel);
  const CGSize size = send<CGRect()>(layer, "bounds"_sel).size;
  const std::size_t width = size.width > 0 ? pixels(size.width) : 0;
  const std::size_t height = size.height > 0 ? pixels(size.height) : 0;
  CGContextRef context = width && height ? coregraphics::createBitmapContext(width, height) : nullptr;
  if (context == nullptr) return nullptr;
  CGContextScaleCTM(context, screenScale(), screenScale());
  quartzcore::renderPlaced(layer, context);
  CGImageRef image = CGBitmapContextCreateImage(context);
  CGContextRelease(context);
  return image;
}

}  // namespace uikit
