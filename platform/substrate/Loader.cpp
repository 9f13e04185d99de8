#include "platform/substrate/Loader.h"

#include "platform/plist/PropertyList.h"

#include <dlfcn.h>

#include <algorithm>
#include <system_error>

namespace substrate {

std::string filterVerdict(const std::filesystem::path& filterPath, std::string_view bundle) {
  std::error_code error;
  if (!std::filesystem::exists(filterPath, error)) return "no filter";
  auto filter = plist::readDictionary(filterPath);
  if (!filter) return "malformed filter";
  auto entry = filter->find("Filter");
  const plist::Dictionary* rules = entry == filter->end() ? nullptr : entry->second.asDictionary();
  if (rules == nullptr) return "malformed filter";
  auto bundles = rules->find("Bundles");
  const plist::Array* names = bundles == rules->end() ? nullptr : bundles->second.asArray();
  if (names == nullptr) return "malformed filter";
  for (const plist::Value& name : *names) {
    if (const std::string* text = name.asString(); text && *text == bundle) return "";
  }
  return "filter names other bundles";
}

std::vector<LoadResult> loadDynamicLibraries(const std::filesystem::path& directory, std::string_view bundleIdentifier) {
  std::vector<std::filesystem::path> libraries;
  std::error_code error;
  for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    if (it->path().extension() == ".dylib") libraries.push_back(it->path());
  }
  std::sort(libraries.begin(), libraries.end());

  std::vector<LoadResult> results;
  for (const auto& library : libraries) {
    LoadResult& result = results.emplace_back();
    result.library = library.filename().string();
    std::filesystem::path filter = library;
    filter.replace_extension(".plist");
    result.reason = filterVerdict(filter, bundleIdentifier);
    if (!result.reason.empty()) continue;
    if (dlopen(library.c_str(), RTLD_NOW | RTLD_GLOBAL) == nullptr) {
      const char* why = dlerror();
      result.reason = why ? why : "cannot load";
      continue;
    }
    result.loaded = true;
  }
  return results;
}

}  // namespace substrate
