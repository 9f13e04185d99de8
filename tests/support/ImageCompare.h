#pragma once
// Comparing a rendered picture with a reference PNG of the repository, pixel by pixel:
// the same size in pixels, and every channel of every pixel (not premultiplied; ignored
// where both are fully transparent) within `tolerance` steps of 255. With the environment
// variable TESSARO_UPDATE_REFERENCES set, the picture is written as the new reference
// instead, to be looked at before it is committed.

#include "platform/coregraphics/CGImage.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace testsupport {

::testing::AssertionResult matchesReference(CGImageRef image, const std::filesystem::path& reference, int tolerance = 2);

}  // namespace testsupport
