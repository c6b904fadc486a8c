// What a handler is told: a file has changed and what was built from it is to be rebuilt.
#pragma once

#include <cstdint>
#include <string>

namespace ostrel {

struct ReloadEvent {
  // The one kind any handler reacts to: the file at path has changed.
  static constexpr std::int32_t kFileChanged = 4;

  std::int32_t kind = 0;
  // Compared code unit by code unit with a handler's own source path (case matters).
  std::wstring path;
};

}  // namespace ostrel
