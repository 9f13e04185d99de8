// The deliverables as built for the phone, read with the LLVM object tools: Mach-O for
// arm64 with the file type, install name, platform and signature the phone's loader wants;
// exactly the exports the system promises; and every import bound, two-level, to the stub
// that declares it, while each stub declares nothing the deliverables do not import.
//
// What this shows is structure: nothing here runs a phone binary.

#include "tests/device/Tools.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace devicetest;

struct LoadCommand {
  std::string cmd;
  std::map<std::string, std::string> fields;  // "name" -> "/usr/lib/libobjc.A.dylib (offset 24)"
};

struct MachO {
  std::vector<std::string> header;  // magic, cputype, cpusubtype, caps, filetype, ...
  std::vector<LoadCommand> commands;
};

MachO readMachO(const std::string& file) {
  MachO macho;
  const auto text = lines(output(std::string(TESSARO_LLVM_OBJDUMP) + " --macho --private-headers " + quoted(file)));
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == "Mach header" && i + 2 < text.size()) {
      std::istringstream values(text[i + 2]);
      for (std::string value; values >> value;) macho.header.push_back(value);
    } else if (text[i].rfind("Load command", 0) == 0) {
      macho.commands.emplace_back();
    } else if (!macho.commands.empty()) {
      const std::string line = trimmed(text[i]);
      const auto space = line.find(' ');
      if (space == std::string::npos) continue;
      const std::string key = line.substr(0, space), value = trimmed(line.substr(space));
      if (key == "cmd") {
        macho.commands.back().cmd = value;
      } else {
        macho.commands.back().fields.emplace(key, value);
      }
    }
  }
  return macho;
}

std::vector<const LoadCommand*> commandsOf(const MachO& macho, const std::string& cmd) {
  std::vector<const LoadCommand*> found;
  for (const LoadCommand& command : macho.commands) {
    if (command.cmd == cmd) found.push_back(&command);
  }
  return found;
}

// "/usr/lib/libobjc.A.dylib (offset 24)" -> "/usr/lib/libobjc.A.dylib"
std::string nameField(const LoadCommand& command) {
  const std::string name = command.fields.at("name");
  return name.substr(0, name.rfind(" (offset"));
}

std::set<std::string> loadedLibraries(const MachO& macho) {
  std::set<std::string> names;
  for (const LoadCommand* command : commandsOf(macho, "LC_LOAD_DYLIB")) names.insert(nameField(*command));
  return names;
}

// Every undefined symbol with the short name of the library it is bound to.
std::map<std::string, std::string> imports(const std::string& file) {
  std::map<std::string, std::string> found;
  for (const std::string& line : lines(output(std::string(TESSARO_LLVM_NM) + " -m -u " + quoted(file)))) {
    const auto external = line.find("external ");
    const auto from = line.rfind(" (from ");
    if (external == std::string::npos) continue;
    const std::string symbol = line.substr(external + 9, from == std::string::npos ? std::string::npos : from - external - 9);
    found[symbol] = from == std::string::npos ? "" : line.substr(from + 7, line.size() - from - 8);
  }
  return found;
}

// The symbols the exports trie holds.
std::vector<std::string> exported(const std::string& file) {
  std::vector<std::string> symbols;
  for (const std::string& line : lines(output(std::string(TESSARO_LLVM_OBJDUMP) + " --macho --exports-trie " + quoted(file)))) {
    if (line.rfind("0x", 0) == 0) symbols.push_back(trimmed(line.substr(line.find(' '))));
  }
  return symbols;
}

struct Binary {
  const char* name;
  const char* path;
  const char* fileType;
};

const Binary kTweak{"Tessaro.dylib", TESSARO_DEVICE_TWEAK, "DYLIB"};
const Binary kModule{"TessaroModule", TESSARO_DEVICE_MODULE, "BUNDLE"};

TEST(PhoneBuild, BothBinariesAreSignedArm64MachOForIOS11) {
  for (const Binary& binary : {kTweak, kModule}) {
    SCOPED_TRACE(binary.name);
    const MachO macho = readMachO(binary.path);
    ASSERT_GE(macho.header.size(), 5u);
    EXPECT_EQ(macho.header[0], "MH_MAGIC_64");
    EXPECT_EQ(macho.header[1], "ARM64") << "arm64 only: no phone with a home button on iOS 11 or 12 is arm64e";
    EXPECT_EQ(macho.header[2], "ALL");
    EXPECT_EQ(macho.header[4], binary.fileType);
    const auto version = commandsOf(macho, "LC_VERSION_MIN_IPHONEOS");
    ASSERT_EQ(version.size(), 1u);
    EXPECT_EQ(version[0]->fields.at("version"), "11.0");
    EXPECT_EQ(commandsOf(macho, "LC_CODE_SIGNATURE").size(), 1u) << "an ad-hoc signature";
    EXPECT_TRUE(std::find(macho.header.begin(), macho.header.end(), "TWOLEVEL") != macho.header.end());
  }
  const MachO tweak = readMachO(kTweak.path);
  const auto id = commandsOf(tweak, "LC_ID_DYLIB");
  ASSERT_EQ(id.size(), 1u);
  EXPECT_EQ(nameField(*id[0]), "/Library/MobileSubstrate/DynamicLibraries/Tessaro.dylib");
  EXPECT_TRUE(commandsOf(readMachO(kModule.path), "LC_ID_DYLIB").empty());
}

TEST(PhoneBuild, TheTweakExportsRefreshPrefsAloneAndTheModuleNothing) {
  EXPECT_EQ(exported(kTweak.path), std::vector<std::string>{"_refreshPrefs"});
  EXPECT_EQ(exported(kModule.path), std::vector<std::string>{});
  // The motion state the simulator shows stays file-scope, in the symbol table only.
  const std::string symbols = output(std::string(TESSARO_LLVM_NM) + " -m " + quoted(kTweak.path));
  EXPECT_NE(symbols.find("non-external (was a private external) _motionType"), std::string::npos) << symbols;
}

TEST(PhoneBuild, EveryImportIsBoundToTheStubThatDeclaresItAndEveryStubSymbolIsImported) {
  const std::vector<Stub> stubs = readStubs(TESSARO_DEVICE_STUBS);
  ASSERT_FALSE(stubs.empty());
  std::map<std::string, const Stub*> byShortName;
  std::set<std::string> installNames;
  for (const Stub& stub : stubs) {
    byShortName[shortName(stub.installName)] = &stub;
    installNames.insert(stub.installName);
  }
  std::map<std::string, std::set<std::string>> importedFrom;  // stub file -> symbols
  for (const Binary& binary : {kTweak, kModule}) {
    SCOPED_TRACE(binary.name);
    const auto found = imports(binary.path);
    EXPECT_FALSE(found.empty());
    for (const auto& [symbol, library] : found) {
      ASSERT_TRUE(byShortName.contains(library)) << symbol << " bound to " << library << ", which no stub describes";
      EXPECT_TRUE(byShortName[library]->symbols.contains(symbol)) << symbol << " bound to " << library;
      importedFrom[byShortName[library]->file].insert(symbol);
    }
    // The libraries it loads are stubs' install names: no stand-in library, no ELF.
    for (const std::string& library : loadedLibraries(readMachO(binary.path))) {
      EXPECT_TRUE(installNames.contains(library)) << library;
      EXPECT_EQ(library.find("platform_"), std::string::npos) << library;
      EXPECT_EQ(library.find(".so"), std::string::npos) << library;
    }
  }
  for (const Stub& stub : stubs) {
    EXPECT_EQ(importedFrom[stub.file], stub.symbols) << stub.file << " declares symbols no deliverable imports";
  }
}

TEST(PhoneBuild, TheModuleNeverLinksTheTweak) {
  for (const std::string& library : loadedLibraries(readMachO(kModule.path))) {
    EXPECT_EQ(library.find("Tessaro"), std::string::npos) << library;
  }
  const std::string needed = output("readelf -d " + quoted(TESSARO_STAND_IN_MODULE));
  EXPECT_EQ(needed.find("Tessaro.dylib"), std::string::npos) << needed;
}

}  // namespace
