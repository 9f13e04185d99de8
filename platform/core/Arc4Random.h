#pragma once
// arc4random as a library compiles against it: the C library's, declared as <stdlib.h>
// declares it. On the stand-in device core answers it from a generator it seeds (see
// Random.h), so that a run can be repeated exactly.

#include <cstdint>

extern "C" std::uint32_t arc4random(void) noexcept;
