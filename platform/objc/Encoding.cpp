#include "platform/objc/Encoding.h"

#include <cctype>

namespace objc {

namespace {
std::string withoutFrameDigits(std::string_view types) {
  std::string letters;
  for (char c : types) {
    if (!std::isdigit(static_cast<unsigned char>(c))) letters += c;
  }
  return letters;
}
}  // namespace

bool sameEncoding(std::string_view a, std::string_view b) {
  return withoutFrameDigits(a) == withoutFrameDigits(b);
}

}  // namespace objc
