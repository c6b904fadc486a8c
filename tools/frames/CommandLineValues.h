// Values on the command lines of the frame tools: numbers of seconds, picture sizes.
#pragma once

#include <cstdint>
#include <cstddef>
#include <string>
#include <vector>

namespace ostrel::frames {

// text as a number of zero or more. Throws std::invalid_argument naming what (the option)
// and the text.
double parseNumber(const std::string& text, const std::string& what);

// "WIDTHxHEIGHT", 16 to 8192 pixels each. Throws std::invalid_argument naming the text.
void parseSize(const std::string& text, std::uint32_t& width, std::uint32_t& height);

// The value after the option at index, moving index onto it. Throws std::invalid_argument
// when the option is the last argument.
const std::string& optionValue(const std::vector<std::string>& arguments, std::size_t& index);

}  // namespace ostrel::frames
