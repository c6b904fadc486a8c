// Temporary files of a test: ctest runs the cases of one fixture at the same time in
// separate processes, and other checkouts may run the same tests at once, so every test
// gets names of its own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace ostrel::testing {

inline std::filesystem::path scratchPath(const std::string& stem,
                                         const std::string& extension = "") {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = stem;
  if (test) {
    name += std::string("-") + test->test_suite_name() + "." + test->name();
  }
  name += "-" + std::to_string(std::random_device()()) + extension;
  return std::filesystem::temp_directory_path() / name;
}

}  // namespace ostrel::testing
