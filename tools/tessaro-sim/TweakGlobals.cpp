#include "tools/tessaro-sim/TweakGlobals.h"

#include "platform/foundation/Foundation.h"

#include <fcntl.h>
#include <gelf.h>
#include <libelf.h>
#include <link.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <unordered_map>

namespace sim {

namespace {

// The library the substrate loaded from DynamicLibraries, under its installed name.
constexpr std::string_view kTweakFile = "Tessaro.dylib";

struct LoadedLibrary {
  std::string path;
  std::uintptr_t base = 0;
};

std::optional<LoadedLibrary> findTweak() {
  std::optional<LoadedLibrary> found;
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* result) {
        const std::string_view name = info->dlpi_name ? info->dlpi_name : "";
        const auto slash = name.rfind('/');
        if (name.substr(slash == std::string_view::npos ? 0 : slash + 1) != kTweakFile) return 0;
        *static_cast<std::optional<LoadedLibrary>*>(result) = LoadedLibrary{std::string(name), info->dlpi_addr};
        return 1;
      },
      &found);
  return found;
}

struct SymbolTable {
  std::uintptr_t base = 0;
  std::unordered_map<std::string, std::uintptr_t> objects;  // defined data symbols, by name
};

// Every defined data symbol of the file's .symtab; nullopt with `why` when it has none.
std::optional<SymbolTable> readSymbols(const LoadedLibrary& library, std::string& why) {
  if (elf_version(EV_CURRENT) == EV_NONE) {
    why = "libelf is unusable: " + std::string(elf_errmsg(-1));
    return std::nullopt;
  }
  const int fd = ::open(library.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    why = "cannot open the tweak library " + library.path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  std::optional<SymbolTable> table;
  Elf* elf = elf_begin(fd, ELF_C_READ, nullptr);
  bool sawSymtab = false;
  for (Elf_Scn* section = elf ? elf_nextscn(elf, nullptr) : nullptr; section; section = elf_nextscn(elf, section)) {
    GElf_Shdr header;
    if (gelf_getshdr(section, &header) == nullptr || header.sh_type != SHT_SYMTAB || header.sh_entsize == 0) continue;
    sawSymtab = true;
    table.emplace();
    table->base = library.base;
    Elf_Data* data = elf_getdata(section, nullptr);
    const std::size_t count = data ? header.sh_size / header.sh_entsize : 0;
    for (std::size_t i = 0; i < count; ++i) {
      GElf_Sym symbol;
      if (gelf_getsym(data, static_cast<int>(i), &symbol) == nullptr) continue;
      if (GELF_ST_TYPE(symbol.st_info) != STT_OBJECT || symbol.st_shndx == SHN_UNDEF) continue;
      if (const char* name = elf_strptr(elf, header.sh_link, symbol.st_name)) table->objects.emplace(name, symbol.st_value);
    }
  }
  if (elf == nullptr) {
    why = "cannot read the tweak library " + library.path + " as ELF: " + elf_errmsg(-1);
  } else if (!sawSymtab) {
    why = "the tweak library " + library.path + " has no symbol table (stripped): its globals cannot be read";
  }
  if (elf) elf_end(elf);
  ::close(fd);
  return table;
}

}  // namespace

const void* tweakGlobal(std::string_view symbol, std::string& why) {
  // Read once the library is there; a library that cannot be read stays so.
  static bool read = false;
  static std::optional<SymbolTable> table;
  static std::string failure;
  if (!read) {
    const auto library = findTweak();
    if (!library) {
      why = "no tweak library is loaded";
      return nullptr;
    }
    read = true;
    table = readSymbols(*library, failure);
  }
  if (!table) {
    why = failure;
    return nullptr;
  }
  const auto found = table->objects.find(std::string(symbol));
  if (found == table->objects.end()) {
    why = "the tweak library has no global " + std::string(symbol);
    return nullptr;
  }
  return reinterpret_cast<const void*>(table->base + found->second);
}

bool readTweakPrefs(std::optional<plist::Value>& prefs, std::string& why) {
  const auto* object = tweakGlobalAs<id>("prefs", why);
  if (object == nullptr) return false;
  prefs = *object == nil ? std::nullopt : foundation::toValue(*object);
  if (*object != nil && !prefs) {
    why = "prefs holds what is no property list";
    return false;
  }
  return true;
}

}  // namespace sim
