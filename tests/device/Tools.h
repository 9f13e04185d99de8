#pragma once
// Running the inspection tools (llvm-objdump, llvm-nm, dpkg-deb) from the tests of the
// phone build, and reading the stubs the deliverables link against.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace devicetest {

// The standard output of `command`; the test fails on a non-zero status.
inline std::string output(const std::string& command, int* status = nullptr) {
  std::string text;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  const int result = ::pclose(pipe);
  if (status) *status = result;
  return text;
}

inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> found;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) found.push_back(line);
  return found;
}

inline std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  const auto last = text.find_last_not_of(" \t\r");
  return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

inline std::string quoted(const std::string& word) { return "'" + word + "'"; }

// A stub of stubs/: its install name and the symbols it declares.
struct Stub {
  std::string file;
  std::string installName;
  std::set<std::string> symbols;
};

inline Stub readStub(const std::filesystem::path& path) {
  Stub stub;
  stub.file = path.filename().string();
  std::ifstream in(path);
  bool inSymbols = false;
  for (std::string line; std::getline(in, line);) {
    const std::string text = trimmed(line);
    if (text.rfind("install-name:", 0) == 0) {
      const auto open = text.find('\'');
      stub.installName = text.substr(open + 1, text.rfind('\'') - open - 1);
    } else if (text == "symbols:") {
      inSymbols = true;
    } else if (inSymbols && text.rfind("- ", 0) == 0) {
      stub.symbols.insert(text.substr(2));
    } else {
      inSymbols = false;
    }
  }
  return stub;
}

inline std::vector<Stub> readStubs(const std::filesystem::path& directory) {
  std::vector<Stub> stubs;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    if (entry.path().extension() == ".tbd") stubs.push_back(readStub(entry.path()));
  }
  return stubs;
}

// The name the Mach-O tools give a library: its file name up to the first dot.
inline std::string shortName(const std::string& installName) {
  const std::string file = std::filesystem::path(installName).filename().string();
  return file.substr(0, file.find('.'));
}

}  // namespace devicetest
