#pragma once
// CoreGraphics' geometry, as a library compiles against it: points, sizes and rectangles
// in points (CGFloat is a double), with the constructors and accessors of the device's
// CGGeometry. Plain C structs, as C functions return them: `CGRect r{}` is all zeros. Plain values; nothing here can fail. A rectangle with a negative size is
// taken as the rectangle it spans, as the accessors of the device do.

using CGFloat = double;

struct CGPoint {
  CGFloat x, y;
  static constexpr const char* objcEncoding = "{CGPoint=dd}";
};

struct CGSize {
  CGFloat width, height;
  static constexpr const char* objcEncoding = "{CGSize=dd}";
};

struct CGRect {
  CGPoint origin;
  CGSize size;
  static constexpr const char* objcEncoding = "{CGRect={CGPoint=dd}{CGSize=dd}}";
};

inline constexpr CGPoint CGPointZero{0, 0};
inline constexpr CGSize CGSizeZero{0, 0};
inline constexpr CGRect CGRectZero{{0, 0}, {0, 0}};

inline CGPoint CGPointMake(CGFloat x, CGFloat y) { return CGPoint{x, y}; }
inline CGSize CGSizeMake(CGFloat width, CGFloat height) { return CGSize{width, height}; }
inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
  return CGRect{CGPoint{x, y}, CGSize{width, height}};
}

inline CGFloat CGRectGetMinX(CGRect r) { return r.size.width < 0 ? r.origin.x + r.size.width : r.origin.x; }
inline CGFloat CGRectGetMaxX(CGRect r) { return r.size.width < 0 ? r.origin.x : r.origin.x + r.size.width; }
inline CGFloat CGRectGetMinY(CGRect r) { return r.size.height < 0 ? r.origin.y + r.size.height : r.origin.y; }
inline CGFloat CGRectGetMaxY(CGRect r) { return r.size.height < 0 ? r.origin.y : r.origin.y + r.size.height; }
inline CGFloat CGRectGetWidth(CGRect r) { return r.size.width < 0 ? -r.size.width : r.size.width; }
inline CGFloat CGRectGetHeight(CGRect r) { return r.size.height < 0 ? -r.size.height : r.size.height; }
inline CGFloat CGRectGetMidX(CGRect r) { return r.origin.x + r.size.width / 2; }
inline CGFloat CGRectGetMidY(CGRect r) { return r.origin.y + r.size.height / 2; }

inline bool CGPointEqualToPoint(CGPoint a, CGPoint b) { return a.x == b.x && a.y == b.y; }
inline bool CGSizeEqualToSize(CGSize a, CGSize b) { return a.width == b.width && a.height == b.height; }
inline bool CGRectEqualToRect(CGRect a, CGRect b) {
  return CGPointEqualToPoint(a.origin, b.origin) && CGSizeEqualToSize(a.size, b.size);
}
inline bool CGRectIsEmpty(CGRect r) { return r.size.width == 0 || r.size.height == 0; }
