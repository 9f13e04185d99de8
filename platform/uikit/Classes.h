#pragma once
// Internal: UIKit's classes, one file each (gesture recognizers under gestures/),
// registered from UIKit.cpp in dependency order.

namespace uikit::detail {

void registerUIApplication();
void registerUIScreen();
void registerUIColor();
void registerUIImage();
void registerUIView();
void registerUIViewAnimation();
void registerUIImageView();
void registerUIFont();
void registerUITextView();
void registerUIWindow();
void registerUIViewController();
void registerUIGestureRecognizer();
void registerUILongPressGestureRecognizer();
void registerUIHBClickGestureRecognizer();

}  // namespace uikit::detail

namespace uikit {
// The point size of a UIFont; UIKit's default, 12, for nil or anything else.
double fontPointSize(id font);
}  // namespace uikit
