#pragma once
// Internal to coregraphics: what a context and an image are over cairo. Nothing outside
// this folder sees cairo.

#include "platform/coregraphics/CGImage.h"

#include <cairo.h>

#include <set>
#include <string>
#include <vector>

struct CGContext {
  // What CGContextSaveGState keeps besides cairo's own state.
  struct State {
    double fill[4] = {0, 0, 0, 1};
    double stroke[4] = {0, 0, 0, 1};
    double alpha = 1;
    bool singular = false;  // a CTM without inverse: nothing is drawn
  };

  cairo_t* cr = nullptr;
  cairo_surface_t* surface = nullptr;  // the bitmap drawn into, owned
  std::vector<State> states{State{}};
  // Per open transparency layer: the alpha it composites with, and how deep the state
  // stack was when it began.
  struct Layer {
    double alpha;
    std::size_t depth;
  };
  std::vector<Layer> layers;
  // The origins of the images drawn into it (see coregraphics::imageOrigin), and whether an
  // image of no known origin was drawn too.
  std::set<std::string> drawnOrigins;
  bool drewUnknownImage = false;

  State& state() { return states.back(); }
};

struct CGImage {
  cairo_surface_t* surface = nullptr;  // CAIRO_FORMAT_ARGB32, never drawn into again
  int references = 1;
  std::string origin;
};

namespace coregraphics::detail {

// A new transparent ARGB32 surface, its memory reused from dropped surfaces of the same
// size where there is one; a surface in error when the memory cannot be had.
cairo_surface_t* newSurface(int width, int height);

// A new image owning `surface` (ARGB32, finished drawing).
CGImageRef adoptSurface(cairo_surface_t* surface);
// True when the context may draw now.
bool drawable(CGContextRef c);
// An image is being drawn into the context: its origin joins the context's.
void noteDrawn(CGContextRef c, CGImageRef image);

}  // namespace coregraphics::detail
