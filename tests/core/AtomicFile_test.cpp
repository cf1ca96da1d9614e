#include "AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "EngineTestSupport.h"

namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = FreshTestDirectory("zefra-atomic"); }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  // The id of a process that has ended.
  static pid_t GonePid() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
  }

  fs::path dir_;
};

TEST_F(AtomicFileTest, ReplaceWritesTheWholeFileAndKeepsItsMode) {
  const std::string file = Path("Zefra.txt");
  ASSERT_TRUE(AtomicFile::Replace(file, "first"));
  ::chmod(file.c_str(), 0640);
  ASSERT_TRUE(AtomicFile::Replace(file, std::string("second\0with a NUL", 16)));
  EXPECT_EQ(FileText(file), std::string("second\0with a NUL", 16));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Names(), std::vector<std::string>{"Zefra.txt"});
  EXPECT_FALSE(AtomicFile::Replace(dir_.string(), "a directory is never replaced"));
  EXPECT_FALSE(AtomicFile::Replace(Path("missing/Zefra.txt"), "x"));
}

// Each level of links is followed: the links stay links and the real file gets the new text.
TEST_F(AtomicFileTest, ReplaceFollowsAChainOfLinks) {
  fs::create_directories(dir_ / "real");
  const std::string real = Path("real/Zefra.txt");
  AtomicFile::Replace(real, "old");
  fs::create_symlink("real/Zefra.txt", dir_ / "middle");  // relative to the link's directory
  fs::create_symlink(dir_ / "middle", dir_ / "Zefra.txt");
  EXPECT_EQ(AtomicFile::RealPath(Path("Zefra.txt")), (dir_ / "real/Zefra.txt").string());
  ASSERT_TRUE(AtomicFile::Replace(Path("Zefra.txt"), "new"));
  EXPECT_EQ(FileText(real), "new");
  EXPECT_TRUE(fs::is_symlink(dir_ / "middle"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "Zefra.txt"));
  // A dangling link gets its file created; a loop is refused.
  fs::create_symlink("later.txt", dir_ / "dangling");
  ASSERT_TRUE(AtomicFile::Replace(Path("dangling"), "made"));
  EXPECT_EQ(FileText(Path("later.txt")), "made");
  fs::create_symlink("loop2", dir_ / "loop1");
  fs::create_symlink("loop1", dir_ / "loop2");
  EXPECT_EQ(AtomicFile::RealPath(Path("loop1")), "");
  EXPECT_FALSE(AtomicFile::Replace(Path("loop1"), "x"));
}

TEST_F(AtomicFileTest, ReadTakesOnlyRegularFiles) {
  std::string data = "stale";
  EXPECT_FALSE(AtomicFile::Read(Path("missing"), data));
  EXPECT_EQ(data, "");
  EXPECT_FALSE(AtomicFile::Read(dir_.string(), data));
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(AtomicFile::Read(Path("fifo"), data));  // would block forever if opened
  AtomicFile::Replace(Path("file"), "text");
  EXPECT_TRUE(AtomicFile::Read(Path("file"), data));
  EXPECT_EQ(data, "text");
}

// Only temporary files of the given file, of the name Replace gives them, written by a process
// that is gone, are removed.
TEST_F(AtomicFileTest, StaleTemporariesOfEndedProcessesAreRemoved) {
  const std::string gone = std::to_string(GonePid());
  const std::string alive = std::to_string(::getpid());
  const std::vector<std::string> removed{"Zefra.txt.tmp" + gone + "-0",
                                         "Zefra.txt.tmp" + gone + "-17"};
  std::vector<std::string> expected{"Zefra.txt",
                                    "Zefra.txt.bak",
                                    "Zefra.txt.tmp" + alive + "-0",
                                    "Zefra.txt.tmp1-0",  // process 1 always runs
                                    "Zefra.txt.tmp" + gone,
                                    "Zefra.txt.tmp" + gone + "-0x",
                                    "Other.txt.tmp" + gone + "-0"};
  for (const std::string& name : removed) std::ofstream(dir_ / name) << "x";
  for (const std::string& name : expected) std::ofstream(dir_ / name) << "x";
  AtomicFile::RemoveStaleTemporaries(Path("Zefra.txt"));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Names(), expected);
}

TEST_F(AtomicFileTest, WritableDirectories) {
  EXPECT_TRUE(AtomicFile::IsWritableDirectory(dir_.string()));
  EXPECT_FALSE(AtomicFile::IsWritableDirectory(Path("missing")));
}

}  // namespace
