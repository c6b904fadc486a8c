// Text encodings.
#include "registry/TextConversion.h"

namespace ostrel {

std::string toUtf8(const std::wstring& text) {
  std::string result;
  auto append = [&result](char32_t code) {
    if (code < 0x80) {
      result += static_cast<char>(code);
    } else if (code < 0x800) {
      result += static_cast<char>(0xC0 | code >> 6);
      result += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      result += static_cast<char>(0xE0 | code >> 12);
      result += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      result += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      result += static_cast<char>(0xF0 | code >> 18);
      result += static_cast<char>(0x80 | (code >> 12 & 0x3F));
      result += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      result += static_cast<char>(0x80 | (code & 0x3F));
    }
  };
  for (std::size_t index = 0; index < text.size(); ++index) {
    char32_t code = static_cast<char32_t>(text[index]);
    if (code >= 0xD800 && code < 0xDC00 && index + 1 < text.size() &&
        text[index + 1] >= 0xDC00 && text[index + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<char32_t>(text[++index]) - 0xDC00);
    } else if ((code >= 0xD800 && code < 0xE000) || code > 0x10FFFF) {
      code = 0xFFFD;
    }
    append(code);
  }
  return result;
}

}  // namespace ostrel
