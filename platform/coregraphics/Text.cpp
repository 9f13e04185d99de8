#include "platform/coregraphics/Text.h"

#include "platform/core/EventLog.h"
#include "platform/coregraphics/Internals.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

namespace coregraphics {

namespace {

// The device's font map: fontconfig knows the system font's file and no other. Made once,
// alive for the process, as the device's fonts are.
PangoFontMap* fontMap() {
  static PangoFontMap* const map = []() -> PangoFontMap* {
    std::error_code error;
    if (!std::filesystem::is_regular_file(kSystemFontFile, error)) {
      core::record("graphics", std::string("no system font at ") + kSystemFontFile + ": text is not drawn",
                   {{"font", kSystemFontFile}});
      return nullptr;
    }
    FcConfig* config = FcConfigCreate();
    if (config == nullptr || !FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(kSystemFontFile))) {
      if (config) FcConfigDestroy(config);
      core::record("graphics", std::string("the system font at ") + kSystemFontFile + " does not load: text is not drawn",
                   {{"font", kSystemFontFile}});
      return nullptr;
    }
    PangoFontMap* made = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(made), config);
    FcConfigDestroy(config);  // the font map holds its own reference
    return made;
  }();
  return map;
}

// No hinting, grey antialiasing: the same for every layout, made once.
const cairo_font_options_t* fontOptions() {
  static cairo_font_options_t* const options = [] {
    cairo_font_options_t* made = cairo_font_options_create();
    cairo_font_options_set_hint_style(made, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(made, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(made, CAIRO_ANTIALIAS_GRAY);
    return made;
  }();
  return options;
}

struct LayoutDeleter {
  void operator()(PangoLayout* layout) const { g_object_unref(layout); }
};
using Layout = std::unique_ptr<PangoLayout, LayoutDeleter>;

// A layout of `text` for drawing through `cr`, or for measuring when `cr` is null. One
// point is one user unit.
Layout layoutFor(cairo_t* cr, std::string_view text, const TextStyle& style, double width) {
  PangoFontMap* map = fontMap();
  if (map == nullptr) return nullptr;
  PangoContext* context = pango_font_map_create_context(map);
  pango_cairo_context_set_font_options(context, fontOptions());
  if (cr != nullptr) pango_cairo_update_context(cr, context);
  Layout layout(pango_layout_new(context));
  g_object_unref(context);  // the layout keeps it

  PangoFontDescription* font = pango_font_description_new();
  pango_font_description_set_family_static(font, kSystemFontFamily);
  pango_font_description_set_absolute_size(font, std::max(style.pointSize, 0.0) * PANGO_SCALE);
  pango_layout_set_font_description(layout.get(), font);
  pango_font_description_free(font);

  // Pango wants valid UTF-8: a byte that is none becomes U+FFFD.
  gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
  pango_layout_set_text(layout.get(), valid, -1);
  g_free(valid);
  if (width > 0 && std::isfinite(width)) {
    pango_layout_set_width(layout.get(), static_cast<int>(std::min(width, 1e6) * PANGO_SCALE));
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
  }
  const PangoAlignment alignment = style.alignment == TextAlignment::Center  ? PANGO_ALIGN_CENTER
                                   : style.alignment == TextAlignment::Right ? PANGO_ALIGN_RIGHT
                                                                             : PANGO_ALIGN_LEFT;
  pango_layout_set_alignment(layout.get(), alignment);
  return layout;
}

}  // namespace

bool systemFontAvailable() { return fontMap() != nullptr; }

void drawText(CGContextRef c, std::string_view text, const TextStyle& style, CGRect rect) {
  if (!detail::drawable(c) || text.empty()) return;
  const double x = rect.origin.x, y = rect.origin.y, width = rect.size.width;
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(width) || !(style.pointSize > 0)) return;
  Layout layout = layoutFor(c->cr, text, style, width);
  if (!layout) return;
  cairo_save(c->cr);
  const double alpha = std::clamp(style.color[3], 0.0, 1.0) * c->state().alpha;
  cairo_set_source_rgba(c->cr, std::clamp(style.color[0], 0.0, 1.0), std::clamp(style.color[1], 0.0, 1.0),
                        std::clamp(style.color[2], 0.0, 1.0), alpha);
  cairo_move_to(c->cr, x, y);
  pango_cairo_show_layout(c->cr, layout.get());
  cairo_restore(c->cr);
}

CGSize measureText(std::string_view text, const TextStyle& style, double width) {
  Layout layout = layoutFor(nullptr, text, style, width);
  if (!layout) return CGSizeZero;
  PangoRectangle logical{};
  pango_layout_get_extents(layout.get(), nullptr, &logical);
  return CGSizeMake(static_cast<double>(logical.width) / PANGO_SCALE, static_cast<double>(logical.height) / PANGO_SCALE);
}

}  // namespace coregraphics
