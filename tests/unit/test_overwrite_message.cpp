#include "files/overwrite_message.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/file_system.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

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

// Only a regular file with no other name is overwritten: a link or a second
// name would carry the message into another file, and a FIFO would wait for
// a reader for ever. Each stays as it was (symbolic links and FIFOs: POSIX
// only here).
TEST_F(OverwriteMessage, RefusesLinksAndSpecialFiles) {
  const fs::path file = dir_ / "ZPH_TEMP.TXT";
  const fs::path other = dir_ / "drawing.txt";
  const struct {
    const char* name;
    void (*make)(const fs::path& other, const fs::path& file);
    bool posixOnly;
  } cases[] = {
      {"symbolic link", [](const fs::path& o, const fs::path& f) { fs::create_symlink(o, f); }, true},
      {"hard link", [](const fs::path& o, const fs::path& f) { fs::create_hard_link(o, f); }, false},
#ifndef _WIN32
      {"FIFO", [](const fs::path&, const fs::path& f) { ASSERT_EQ(mkfifo(f.c_str(), 0666), 0); }, true},
#endif
  };
  for (const auto& c : cases) {
#ifdef _WIN32
    if (c.posixOnly) continue;
#endif
    SCOPED_TRACE(c.name);
    fs::remove(file);
    std::ofstream(other, std::ios::binary) << "other drawing";
    c.make(other, file);
    const fs::file_type made = fs::symlink_status(file).type();

    EXPECT_FALSE(cadxform::OverwriteWithFailureMessage(file));

    EXPECT_EQ(ReadBytes(other), "other drawing");
    EXPECT_EQ(fs::symlink_status(file).type(), made);
  }
}

}  // namespace
