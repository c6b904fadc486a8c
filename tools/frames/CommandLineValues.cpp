// Numbers and sizes from the command line.
#include "tools/frames/CommandLineValues.h"

#include <cstdlib>
#include <stdexcept>

namespace ostrel::frames {

double parseNumber(const std::string& text, const std::string& what) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !(value >= 0)) {
    throw std::invalid_argument(what + " is not a number of zero or more: '" + text + "'");
  }
  return value;
}

void parseSize(const std::string& text, std::uint32_t& width, std::uint32_t& height) {
  const auto x = text.find('x');
  const double wide = x == std::string::npos ? 0 : parseNumber(text.substr(0, x), "--size");
  const double high = x == std::string::npos ? 0 : parseNumber(text.substr(x + 1), "--size");
  if (wide < 16 || high < 16 || wide > 8192 || high > 8192) {
    throw std::invalid_argument("--size wants WIDTHxHEIGHT, 16 to 8192 each: '" + text + "'");
  }
  width = std::uint32_t(wide);
  height = std::uint32_t(high);
}

const std::string& optionValue(const std::vector<std::string>& arguments, std::size_t& index) {
  if (index + 1 >= arguments.size()) {
    throw std::invalid_argument(arguments[index] + " needs a value");
  }
  return arguments[++index];
}

}  // namespace ostrel::frames
