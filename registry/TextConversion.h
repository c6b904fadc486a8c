// Conversion of the registry's wide (UTF-16 on Windows) paths for 8-bit interfaces.
#pragma once

#include <string>

namespace ostrel {

// UTF-8 of a wide string: UTF-16 on Windows, UTF-32 elsewhere; a broken surrogate becomes
// U+FFFD.
std::string toUtf8(const std::wstring& text);

}  // namespace ostrel
