#pragma once
// libcolorpicker, as a library compiles against it: colours from colour strings.
//
// A colour string is "#RRGGBB" or "#RGB" (hexadecimal digits of either case; the number
// sign may be left out), optionally followed by ":ALPHA", a number from 0 to 1. Anything
// else names no colour: other lengths or digits, blanks, an alpha out of range, an object
// that is not a string, nil.

#include "platform/objc/Runtime.h"

extern "C" {
// A UIColor (autoreleased): the colour `string` names, else the one `fallback` names, else
// opaque black.
id LCPParseColorString(id string, id fallback);
}
