#include "exchange/overwrite_message.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/file_system.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class OverwriteMessage : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("overwrite_test_" + std::to_string(cadxform::platform::CurrentProcessId()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

// A longer input is cut: only the message line stays.
TEST_F(OverwriteMessage, ReplacesTheWholeContent) {
  const fs::path file = dir_ / "ZPH_TEMP.TXT";
  std::ofstream(file, std::ios::binary) << std::string(5000, 'x');

  EXPECT_TRUE(cadxform::OverwriteWithFailureMessage(file));

  EXPECT_EQ(ReadBytes(file), "h#" + std::string(cadxform::kWriteFailedMessage) + "\r\n");
}

// Nothing is created where there was no file, and a folder stays a folder.
TEST_F(OverwriteMessage, CreatesNothing) {
  EXPECT_FALSE(cadxform::OverwriteWithFailureMessage(dir_ / "ZPH_TEMP.TXT"));
  EXPECT_FALSE(fs::exists(dir_ / "ZPH_TEMP.TXT"));
  fs::create_directory(dir_ / "sub");
  EXPECT_FALSE(cadxform::OverwriteWithFailureMessage(dir_ / "sub"));
  EXPECT_TRUE(fs::is_directory(dir_ / "sub"));
}

}  // namespace
