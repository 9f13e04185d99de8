#pragma once
// CoreMotion's public value type, all a library needs to read a reading's vectors:
// three doubles, in g, in the device frame (x to the right edge of the screen, y to its
// top edge, z out of the screen).

struct CMAcceleration {
  double x = 0, y = 0, z = 0;
  static constexpr const char* objcEncoding = "{?=ddd}";
};
