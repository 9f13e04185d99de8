#pragma once
// Finds where one JSON object or array ends without parsing it, 64 bytes at a time: quotes,
// backslashes, brackets and newlines become bit masks (SSE2 where there is one), strings are
// masked out by a prefix XOR of their unescaped quotes, and only the brackets left over are
// visited one by one. Checks that brackets pair up; everything else about the text is the
// parser's to check.

#include <array>
#include <cstddef>

namespace recordings::detail {

class JsonScan {
 public:
  static constexpr std::size_t kMaxDepth = 1024;  // as deep as simdjson parses

  enum class Result { Complete, Incomplete, Mismatch, TooDeep };
  struct Outcome {
    Result result = Result::Incomplete;
    // Complete: the element's length; Mismatch and TooDeep: the offending bracket's offset.
    std::size_t length = 0;
    std::size_t newlines = 0;  // before that point
  };

  // `text` starts with '{' or '['. `size` bytes are there, and 64 bytes past them may be
  // loaded (their values do not matter).
  Outcome element(const char* text, std::size_t size);

 private:
  std::array<char, kMaxDepth> closers_{};
};

}  // namespace recordings::detail
