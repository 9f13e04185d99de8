// A library for the loader's tests: when its initialisers run, it says so in the
// environment under its own file name.

#include <dlfcn.h>

#include <cstdlib>
#include <string>

namespace {

__attribute__((constructor)) void announceLoad() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&announceLoad), &info) == 0 || info.dli_fname == nullptr) return;
  std::string name = info.dli_fname;
  name = name.substr(name.find_last_of('/') + 1);
  setenv(("LOADED_" + name.substr(0, name.find('.'))).c_str(), "1", 1);
}

}  // namespace
