#pragma once
// The substrate's loader: at host start, loads every library of a DynamicLibraries
// directory whose filter property list names the host's bundle, in name order. The
// library's initialisers run inside the load, as they do on the device.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace substrate {

struct LoadResult {
  std::string library;  // file name, e.g. "Tessaro.dylib"
  bool loaded = false;
  std::string reason;   // why it was not loaded
};

// Empty when the filter property list at `filterPath` admits the bundle `bundleIdentifier`,
// otherwise why not: "no filter", "malformed filter", "filter names other bundles".
std::string filterVerdict(const std::filesystem::path& filterPath, std::string_view bundleIdentifier);

// Libraries are "NAME.dylib" with their filter "NAME.plist" beside them:
//   { Filter = { Bundles = ( "com.apple.springboard" ); }; }
// No filter, a malformed one, or one for other bundles: not loaded.
std::vector<LoadResult> loadDynamicLibraries(const std::filesystem::path& directory, std::string_view bundleIdentifier);

}  // namespace substrate
