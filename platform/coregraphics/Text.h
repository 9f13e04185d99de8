#pragma once
// Text, shaped and drawn by Pango over cairo in the device's system font. The phone's own
// system font is not free; Inter (Debian's fonts-inter) stands in for it, a sans serif of
// the same kind. Fontconfig is given that one font file and nothing else, so a picture of
// text does not depend on the fonts a machine happens to have, and hinting is off, so a
// glyph's shape does not depend on where it falls.
//
// Without the font file nothing is drawn and the log says so once ("graphics"); text is
// never drawn in a font the device does not have.

#include "platform/coregraphics/CGContext.h"
#include "platform/coregraphics/CGGeometry.h"

#include <string>
#include <string_view>

namespace coregraphics {

// Where fonts-inter puts the regular face.
inline constexpr const char* kSystemFontFile = "/usr/share/fonts/opentype/inter/Inter-Regular.otf";
inline constexpr const char* kSystemFontFamily = "Inter";

enum class TextAlignment { Left, Center, Right };

struct TextStyle {
  double pointSize = 17;
  double color[4] = {0, 0, 0, 1};  // red, green, blue, alpha
  TextAlignment alignment = TextAlignment::Left;
};

// Whether the system font can be had.
bool systemFontAvailable();

// Draws `text` (UTF-8; bytes that are no UTF-8 show as U+FFFD) in `rect`: wrapped at word
// boundaries to the rectangle's width, lines aligned within it, the first line's top at
// its top. Lines below the rectangle are drawn too; clip to keep them out.
void drawText(CGContextRef c, std::string_view text, const TextStyle& style, CGRect rect);

// The size `text` takes when wrapped to `width` points (any width when `width` <= 0).
CGSize measureText(std::string_view text, const TextStyle& style, double width);

}  // namespace coregraphics
