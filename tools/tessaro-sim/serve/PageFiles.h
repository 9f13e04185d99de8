#pragma once
// The page's files, read into memory once at start (so that no path a client sends is
// ever opened): each regular file of the directory by its name, with its content type.
// Only names of letters, digits, '.', '_' and '-' are taken, at most kMaxPageBytes in all.

#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

namespace sim::serve {

inline constexpr std::size_t kMaxPageBytes = 8u << 20;

// The characters of the file names the server takes or writes: letters, digits, '.', '_'
// and '-'; nothing that can climb out of a folder or need quoting.
constexpr bool plainNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
}

struct PageFile {
  std::string contentType;
  std::string bytes;
};

class PageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class PageFiles {
 public:
  // Throws PageError naming the directory or file that cannot be read, or a directory
  // without index.html.
  explicit PageFiles(const std::filesystem::path& directory);
  // "/" is index.html; none for a name the page does not have.
  const PageFile* find(const std::string& requestPath) const;

 private:
  std::map<std::string, PageFile, std::less<>> files_;
};

}  // namespace sim::serve
