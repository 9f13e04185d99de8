#pragma once
// Where the device's own files are: in the build tree the build wrote them to, or, for an
// installed simulator, under its installation prefix. An installation is recognised by its
// layout around the running program (PREFIX/bin/PROGRAM beside PREFIX/lib/tessaro/
// Tessaro.dylib), so an installed program never reaches back into a build tree that may be
// gone, and a program in the build tree never picks up an installation.

#include <filesystem>
#include <optional>
#include <string_view>

namespace core {

// The installation prefix of the running program, or none when it runs from a build tree.
std::optional<std::filesystem::path> installationPrefix();

// PREFIX/`installed` for an installed program, else `built`.
std::filesystem::path locate(std::string_view installed, const std::filesystem::path& built);

}  // namespace core
