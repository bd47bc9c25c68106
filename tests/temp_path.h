// Scratch file paths for tests. ctest runs tests in parallel processes that share the temp
// folder, so every path carries the process id.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

inline std::string TestTempPath(const std::string& name) {
  return ::testing::TempDir() + "ovoid_" + std::to_string(getpid()) + "_" + name;
}
