// A temporary folder of its own for each test that touches files, removed when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace heartstage::testing {

class TestFolder {
 public:
  TestFolder() {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("heartstage-" + std::string(info ? info->name() : "test") + "-" + std::to_string(getpid()) +
             "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TestFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string operator/(std::string_view relative) const { return (path_ / relative).string(); }

  // Writes `bytes` to the file at `relative`, creating its folders.
  std::string Write(std::string_view relative, std::string_view bytes) const {
    const auto file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file.string();
  }

 private:
  std::filesystem::path path_;
};

}  // namespace heartstage::testing
