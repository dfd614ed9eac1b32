#include "platform/files/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using vorel::platform::AtomicFile;

class AtomicFileTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("vorel-atomic-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Read(const std::string& name) {
    std::ifstream in(folder_ / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  size_t Entries() { return static_cast<size_t>(std::distance(fs::directory_iterator(folder_), {})); }

  fs::path folder_;
};

TEST_F(AtomicFileTest, CommitReplacesTheTargetWithTheCompleteBytes) {
  std::ofstream(folder_ / "song.mp3") << "old";
  {
    AtomicFile file(folder_.string());
    ASSERT_TRUE(file.ok());
    ASSERT_TRUE(file.Write("new ", 4));
    EXPECT_EQ(Read("song.mp3"), "old");  // untouched until the commit
    ASSERT_TRUE(file.Write("bytes", 5));
    ASSERT_TRUE(file.Commit("song.mp3"));
  }
  EXPECT_EQ(Read("song.mp3"), "new bytes");
  EXPECT_EQ(Entries(), 1u);  // no temporary file left
}

TEST_F(AtomicFileTest, AWriterDroppedBeforeCommitLeavesNothingBehind) {
  std::ofstream(folder_ / "song.mp3") << "old";
  {
    AtomicFile file(folder_.string());
    ASSERT_TRUE(file.Write("partial", 7));
  }
  EXPECT_EQ(Read("song.mp3"), "old");
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(AtomicFileTest, WriteWholeFileCases) {
  using vorel::platform::WriteWholeFileUtf8;
  EXPECT_FALSE(WriteWholeFileUtf8("", "x"));
  EXPECT_TRUE(WriteWholeFileUtf8((folder_ / "百花香.mp3").string(), std::string("a\0b", 3)));
  EXPECT_EQ(Read("百花香.mp3"), std::string("a\0b", 3));
  EXPECT_TRUE(WriteWholeFileUtf8((folder_ / ".mp3").string(), ""));
  EXPECT_EQ(Read(".mp3"), "");
  EXPECT_FALSE(WriteWholeFileUtf8((folder_ / "missing" / "x.mp3").string(), "x"));
  EXPECT_EQ(Entries(), 2u);
}

}  // namespace
