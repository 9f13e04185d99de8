// UIImageView: a view that shows an image at its own size, scaled to the view's bounds.
// A template image (UIImageRenderingModeAlwaysTemplate) shows only its shape, filled with
// the view's tint colour, the device's blue when none is set.

#include "platform/coregraphics/CGBitmapContext.h"
#include "platform/coregraphics/CGColor.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/QuartzCore.h"
#include "platform/uikit/Classes.h"
#include "platform/uikit/UIKit.h"

namespace uikit::detail {
namespace {

using namespace objc::literals;
using objc::send;

constexpr long long kAlwaysTemplate = 2;
constexpr quartzcore::Color kDefaultTint{0, 122 / 255.0, 1, 1};

struct ImageViewState {
  objc::Ref image;
  objc::Ref tintColor;
};

ImageViewState& imageViewOf(id self) { return objc::stateOf<ImageViewState>(self); }

// The image's shape in the tint colour: a new image owned by the caller.
CGImageRef tinted(CGImageRef shape, const quartzcore::Color& tint) {
  const std::size_t width = CGImageGetWidth(shape), height = CGImageGetHeight(shape);
  CGContextRef context = coregraphics::createBitmapContext(width, height);
  if (context == nullptr) return nullptr;
  CGContextSetRGBFillColor(context, tint.r, tint.g, tint.b, tint.a);
  coregraphics::fillThroughMask(context, CGRectMake(0, 0, static_cast<double>(width), static_cast<double>(height)), shape);
  CGImageRef result = CGBitmapContextCreateImage(context);
  CGContextRelease(context);
  return result;
}

void showImage(id self) {
  const ImageViewState& state = imageViewOf(self);
  id layer = send<id()>(self, "layer"_sel);
  CGImageRef image = cgImageOf(state.image);
  const double scale = send<CGFloat()>(state.image.get(), "scale"_sel);
  if (image == nullptr) {
    quartzcore::setContents(layer, nullptr, 1);
  } else if (send<long long()>(state.image.get(), "renderingMode"_sel) == kAlwaysTemplate) {
    CGImageRef shape = tinted(image, colorComponents(state.tintColor).value_or(kDefaultTint));
    quartzcore::setContents(layer, shape, scale);
    CGImageRelease(shape);
  } else {
    quartzcore::setContents(layer, image, scale);
  }
}

id initWithImage(id self, SEL, id image) {
  const CGSize size = image ? send<CGSize()>(image, "size"_sel) : CGSizeZero;
  self = objc::sendSuper<id(CGRect)>(self, objc::getClass("UIImageView"), "initWithFrame:"_sel, CGRect{CGPointZero, size});
  imageViewOf(self).image = objc::Ref(image);
  showImage(self);
  return self;
}

id image(id self, SEL) { return imageViewOf(self).image; }
void setImage(id self, SEL, id image) {
  imageViewOf(self).image = objc::Ref(image);
  showImage(self);
}
id tintColor(id self, SEL) { return imageViewOf(self).tintColor; }
void setTintColor(id self, SEL, id color) {
  imageViewOf(self).tintColor = objc::Ref(color);
  showImage(self);
}

}  // namespace

void registerUIImageView() {
  objc::ClassBuilder("UIImageView", "UIView")
      .state<ImageViewState>()
      .method("initWithImage:"_sel, &initWithImage)
      .method("image"_sel, &image)
      .method("setImage:"_sel, &setImage)
      .method("tintColor"_sel, &tintColor)
      .method("setTintColor:"_sel, &setTintColor)
      .build();
}

}  // namespace uikit::detail
