#pragma once
// CoreGraphics' drawing context, as a library compiles against it: an opaque reference
// to a drawing destination with a graphics-state stack, a current transform (CTM), fill
// and stroke colours, a path and a clip. The device's contexts are y-down, as UIKit's
// are, with one unit a point.
//
// Every function ignores a NULL context, and so does a context whose CTM was made
// singular (a scale of 0): it draws nothing until the state that made it so is restored.
// Non-finite coordinates are ignored. Nothing here reports an error.

#include "platform/coregraphics/CGAffineTransform.h"
#include "platform/coregraphics/CGGeometry.h"

using CGContextRef = struct CGContext*;

extern "C" {

void CGContextSaveGState(CGContextRef c);
void CGContextRestoreGState(CGContextRef c);

void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty);
void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy);
void CGContextRotateCTM(CGContextRef c, CGFloat angle);
void CGContextConcatCTM(CGContextRef c, CGAffineTransform transform);
CGAffineTransform CGContextGetCTM(CGContextRef c);

// Multiplies everything drawn from now on, within the current state.
void CGContextSetAlpha(CGContextRef c, CGFloat alpha);
void CGContextSetRGBFillColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
void CGContextSetRGBStrokeColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
void CGContextSetLineWidth(CGContextRef c, CGFloat width);

// The path. Filling, stroking and clipping consume it.
void CGContextBeginPath(CGContextRef c);
void CGContextMoveToPoint(CGContextRef c, CGFloat x, CGFloat y);
void CGContextAddLineToPoint(CGContextRef c, CGFloat x, CGFloat y);
void CGContextAddCurveToPoint(CGContextRef c, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x,
                              CGFloat y);
// An arc about (x, y); `clockwise` as seen on the y-down screen.
void CGContextAddArc(CGContextRef c, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle, CGFloat endAngle,
                     int clockwise);
void CGContextAddRect(CGContextRef c, CGRect rect);
void CGContextAddEllipseInRect(CGContextRef c, CGRect rect);
void CGContextClosePath(CGContextRef c);
void CGContextFillPath(CGContextRef c);
void CGContextEOFillPath(CGContextRef c);
void CGContextStrokePath(CGContextRef c);
void CGContextClip(CGContextRef c);
void CGContextEOClip(CGContextRef c);

void CGContextFillRect(CGContextRef c, CGRect rect);
void CGContextStrokeRect(CGContextRef c, CGRect rect);
void CGContextFillEllipseInRect(CGContextRef c, CGRect rect);
// Makes the rectangle fully transparent.
void CGContextClearRect(CGContextRef c, CGRect rect);
void CGContextClipToRect(CGContextRef c, CGRect rect);

// Everything drawn until the matching end is composited as one picture, with the alpha
// that was set when the layer began: an opacity applied to a group, not to each part.
void CGContextBeginTransparencyLayer(CGContextRef c, const void* auxiliaryInfo);
void CGContextEndTransparencyLayer(CGContextRef c);
}
