#pragma once
// Runs the built tessaro-sim as a user runs it: arguments, captured stdout and stderr,
// files in a directory of the test's own.

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace simtest {

struct Result {
  int status = -1;
  std::string out;
  std::string err;
  std::vector<std::string> lines() const {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
};

inline std::string shellQuoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

inline std::string slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class Simulator : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = std::filesystem::temp_directory_path() / ("tessaro-sim-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }

  // Runs the simulator with stdout and stderr captured apart (stderr a file, not a terminal).
  Result run(const std::vector<std::string>& arguments) {
    std::string command = shellQuoted(TESSARO_SIM);
    for (const auto& argument : arguments) command += " " + shellQuoted(argument);
    return runCommand(command);
  }

  // A shell command line, the same way.
  Result runCommand(const std::string& command) {
    const auto errors = directory_ / "stderr";
    Result result;
    FILE* pipe = ::popen(("(" + command + ") 2>" + shellQuoted(errors.string())).c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.out.append(buffer, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = slurp(errors);
    return result;
  }

  std::filesystem::path write(const std::string& name, const std::string& contents) {
    const auto path = directory_ / name;
    std::ofstream(path, std::ios::binary) << contents;
    return path;
  }

  int runDocsScenario(const std::filesystem::path& file, Result& result);

  static std::vector<nlohmann::json> jsonLines(const Result& result) {
    std::vector<nlohmann::json> events;
    for (const auto& line : result.lines()) events.push_back(nlohmann::json::parse(line));
    return events;
  }

  std::filesystem::path directory_;
};

}  // namespace simtest
