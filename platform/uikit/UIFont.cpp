// UIFont: the system font at a size. The device's system font is the one CoreGraphics
// draws text in (see platform/coregraphics/Text.h).

#include "platform/coregraphics/Text.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/uikit/Classes.h"
#include "platform/uikit/UIKit.h"

#include <cmath>

namespace uikit {

namespace {

using namespace objc::literals;
using objc::send;

// The size of UIKit's default font, when a view has none.
constexpr double kDefaultPointSize = 12;

struct FontState {
  double pointSize = kDefaultPointSize;
};

FontState& fontOf(id self) { return objc::stateOf<FontState>(self); }

id systemFontOfSize(id cls, SEL, CGFloat size) {
  id font = send<id()>(cls, "new"_sel);
  // A size that is no number, or negative, gives the default as UIKit does.
  fontOf(font).pointSize = std::isfinite(size) && size > 0 ? size : kDefaultPointSize;
  return objc::autorelease(font);
}

CGFloat pointSize(id self, SEL) { return fontOf(self).pointSize; }
id familyName(id, SEL) { return objc::autorelease(foundation::makeString(coregraphics::kSystemFontFamily).take()); }
BOOL isEqual(id self, SEL, id other) {
  static const Class fontClass = objc::getClass("UIFont");
  return other != nil && send<BOOL(Class)>(other, "isKindOfClass:"_sel, fontClass) &&
                 fontOf(other).pointSize == fontOf(self).pointSize
             ? YES
             : NO;
}

}  // namespace

double fontPointSize(id font) {
  static const Class fontClass = objc::getClass("UIFont");
  if (font == nil || !send<BOOL(Class)>(font, "isKindOfClass:"_sel, fontClass)) return kDefaultPointSize;
  return fontOf(font).pointSize;
}

void detail::registerUIFont() {
  objc::ClassBuilder("UIFont", objc::rootClass())
      .state<FontState>()
      .classMethod("systemFontOfSize:"_sel, &systemFontOfSize)
      .method("pointSize"_sel, &pointSize)
      .method("familyName"_sel, &familyName)
      .method("isEqual:"_sel, &isEqual)
      .build();
}

}  // namespace uikit
