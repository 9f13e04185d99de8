// UIImage: a bitmap with a scale, so that its size is in points. Images are read from PNG
// files on the device: by name from a bundle, choosing the @2x or @3x variant that suits
// the screen, or from a path whose name tells its scale. A file that cannot be read gives
// nil, and the device's log says why.

#include "platform/core/DeviceRoot.h"
#include "platform/core/EventLog.h"
#include "platform/coregraphics/PNG.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/Encodings.h"
#include "platform/uikit/Classes.h"
#include "platform/uikit/UIKit.h"

#include <regex>

namespace uikit {
namespace {

using namespace objc::literals;
using objc::send;

enum RenderingMode : long long { kAutomatic = 0, kAlwaysOriginal = 1, kAlwaysTemplate = 2 };

struct ImageState {
  CGImageRef image = nullptr;
  double scale = 1;
  long long renderingMode = kAutomatic;
  ImageState() = default;
  ImageState(const ImageState&) = delete;
  ImageState& operator=(const ImageState&) = delete;
  ~ImageState() { CGImageRelease(image); }
};

ImageState& imageOf(id self) { return objc::stateOf<ImageState>(self); }

Class imageClass() {
  static const Class cls = objc::getClass("UIImage");
  return cls;
}

id adopt(CGImageRef image, double scale) {
  id made = makeImage(image, scale);
  CGImageRelease(image);
  return made;
}

// The image of a device path, or nil; a file that is there but unreadable is logged.
id readDevicePNG(const std::string& devicePath, double scale) {
  auto host = core::resolve(devicePath);
  if (!host) return nil;
  std::string why;
  CGImageRef image = coregraphics::readPNG(*host, why);
  if (image == nullptr) {
    if (why != "no such file") core::record("image", devicePath + ": " + why, {{"path", devicePath}, {"reason", why}});
    return nil;
  }
  coregraphics::setImageOrigin(image, devicePath);
  return adopt(image, scale);
}

// The scales to try, best first: the screen's own, then sharper ones, then blurrier.
std::vector<int> variantOrder() {
  const int screen = static_cast<int>(screenScale());
  std::vector<int> order{screen};
  for (int s = 3; s >= 1; --s) {
    if (s > screen) order.insert(order.begin() + 1, s);
  }
  for (int s = screen - 1; s >= 1; --s) order.push_back(s);
  return order;
}

id imageNamedInBundle(id, SEL, id name, id bundle, id) {
  auto text = foundation::stringOf(name);
  if (!text || text->empty() || text->find('/') != std::string::npos) return nil;
  std::string base = *text;
  if (base.size() > 4 && base.ends_with(".png")) base.resize(base.size() - 4);
  if (bundle == nil) bundle = send<id()>(objc::getClass("NSBundle"), "mainBundle"_sel);
  for (int scale : variantOrder()) {
    const std::string file = base + (scale == 1 ? "" : "@" + std::to_string(scale) + "x") + ".png";
    id path = send<id(id, id)>(bundle, "pathForResource:ofType:"_sel, foundation::makeString(file).get(), nil);
    auto devicePath = foundation::stringOf(path);
    if (!devicePath) continue;
    if (id image = readDevicePNG(*devicePath, scale)) return image;
  }
  return nil;
}

id imageNamed(id cls, SEL, id name) { return imageNamedInBundle(cls, "imageNamed:inBundle:compatibleWithTraitCollection:"_sel, name, nil, nil); }

// "Progress@3x.png" is an image at 3x.
id imageWithContentsOfFile(id, SEL, id path) {
  auto text = foundation::stringOf(path);
  if (!text) return nil;
  static const std::regex scaled(R"(@([23])x(\.[^./]*)?$)");
  std::smatch match;
  const double scale = std::regex_search(*text, match, scaled) ? std::stod(match[1]) : 1.0;
  return readDevicePNG(*text, scale);
}

id imageWithCGImage(id, SEL, CGImageRef image, CGFloat scale, long long) {
  return image ? makeImage(image, scale) : nil;
}

CGSize size(id self, SEL) {
  const ImageState& state = imageOf(self);
  return CGSize{static_cast<double>(CGImageGetWidth(state.image)) / state.scale,
                static_cast<double>(CGImageGetHeight(state.image)) / state.scale};
}
CGFloat scale(id self, SEL) { return imageOf(self).scale; }
CGImageRef cgImage(id self, SEL) { return imageOf(self).image; }
long long renderingMode(id self, SEL) { return imageOf(self).renderingMode; }

id imageWithRenderingMode(id self, SEL, long long mode) {
  id copy = makeImage(imageOf(self).image, imageOf(self).scale);
  imageOf(copy).renderingMode = mode >= kAutomatic && mode <= kAlwaysTemplate ? mode : kAutomatic;
  return copy;
}

}  // namespace

id makeImage(CGImageRef image, double scale) {
  id made = objc::autorelease(send<id()>(imageClass(), "new"_sel));
  imageOf(made).image = CGImageRetain(image);
  imageOf(made).scale = scale > 0 && std::isfinite(scale) ? scale : 1;
  return made;
}

std::optional<std::string> imageFileName(id image) {
  const std::string& origin = coregraphics::imageOrigin(cgImageOf(image));
  if (origin.empty()) return std::nullopt;
  static const std::regex variant(R"((@[23]x)?\.png$)");
  return std::regex_replace(std::filesystem::path(origin).filename().string(), variant, "");
}

CGImageRef cgImageOf(id image) {
  if (image == nil || send<BOOL(Class)>(image, "isKindOfClass:"_sel, imageClass()) != YES) return nullptr;
  return imageOf(image).image;
}

void detail::registerUIImage() {
  objc::ClassBuilder("UIImage", objc::rootClass())
      .state<ImageState>()
      .classMethod("imageNamed:inBundle:compatibleWithTraitCollection:"_sel, &imageNamedInBundle)
      .classMethod("imageNamed:"_sel, &imageNamed)
      .classMethod("imageWithContentsOfFile:"_sel, &imageWithContentsOfFile)
      .classMethod("imageWithCGImage:scale:orientation:"_sel, &imageWithCGImage)
      .method("size"_sel, &size)
      .method("scale"_sel, &scale)
      .method("CGImage"_sel, &cgImage)
      .method("renderingMode"_sel, &renderingMode)
      .method("imageWithRenderingMode:"_sel, &imageWithRenderingMode)
      .build();
}

}  // namespace uikit
