// Files that fight back: saving the settings on a full disk, into a directory nobody may write
// and with the process killed half-way; reading a THK or settings file that is a directory, a
// FIFO, a link to nowhere or a file cut short while it is read; many files written together.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "data/AtomicFile.h"
#include "data/GridDataSet.h"
#include "data/SettingsFile.h"
#include "data/ThkFormat.h"
#include "support/TestSupport.h"

namespace orvelle {
namespace {

using test::MessageRecorder;
using test::ReadFile;
using test::TempDir;

std::string Settings(int filterSize) {
  ViewerParams p = DesignedParams();
  p.filterSize = filterSize;
  return FormatSettings(p);
}

TEST(SettingsSaveFaults, FullDiskUnwritableDirectoryAndKillLeaveTheOldFileWhole) {
  TempDir dir;
  const std::string path = dir.Write("setting.dat", Settings(3));
  ViewerParams next = DesignedParams();
  next.filterSize = 5;

  // The child reports the result and the message through its exit status.
  const int full = test::RunWithFileSizeLimit(100, [&] {
    MessageRecorder messages;
    const int r = SaveParameter(path, next);
    return r == -1 && messages.Only() == "<SaveParameter> File open error." ? 7 : 1;
  });
  EXPECT_EQ(full, 7);
  EXPECT_EQ(ReadFile(path), Settings(3));

  MessageRecorder messages;
  EXPECT_EQ(SaveParameter("/sys/setting.dat", next), -1);
  EXPECT_EQ(messages.Only(), "<SaveParameter> File open error.");

  ViewerParams other = DesignedParams();
  other.filterSize = 4;
  int round = 0;
  test::KillDuringSaves(
      [&] { SaveParameter(path, ++round % 2 ? next : other); }, 8,
      [&] {
        const std::string now = ReadFile(path);
        EXPECT_TRUE(now == Settings(3) || now == Settings(4) || now == Settings(5))
            << now.size() << " bytes: " << now.substr(0, 80);
      });
}

TEST(WholeFileWrites, DevicesAreWrittenInPlaceNotReplaced) {
  struct stat before {};
  ASSERT_EQ(stat("/dev/full", &before), 0);
  WriteFailure failure;
  EXPECT_FALSE(WriteFileAtomically("/dev/full", "x", failure));
  EXPECT_EQ(failure, WriteFailure::Write);
  struct stat after {};
  ASSERT_EQ(stat("/dev/full", &after), 0);
  EXPECT_TRUE(S_ISCHR(after.st_mode));
  EXPECT_EQ(after.st_rdev, before.st_rdev);
  EXPECT_TRUE(WriteFileAtomically("/dev/null", "x"));

  TempDir dir;
  const std::string real = dir.Write("real.csv", "old");
  const std::string link = dir.File("link.csv");
  ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
  EXPECT_TRUE(WriteFileAtomically(link, "new"));
  EXPECT_EQ(ReadFile(real), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
}

TEST(WholeFileWrites, NewFilesFollowTheUmaskAndReplacedFilesKeepModeAndOwner) {
  TempDir dir;
  const std::string fresh = dir.File("new.csv");
  const mode_t saved = umask(077);
  EXPECT_TRUE(WriteFileAtomically(fresh, "new"));
  umask(saved);
  struct stat st {};
  ASSERT_EQ(stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);

  // Only a privileged writer can give a file back to another owner.
  const bool privileged = geteuid() == 0;
  const std::string old = dir.Write("old.csv", "old");
  ASSERT_EQ(chmod(old.c_str(), 0640), 0);
  if (privileged) {
    ASSERT_EQ(chown(old.c_str(), 65534, 65534), 0);
  }
  EXPECT_TRUE(WriteFileAtomically(old, "new"));
  ASSERT_EQ(stat(old.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (privileged) {
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
  }
}

TEST(WholeFileWrites, ManyFilesStopAtTheFirstFailureAndLeaveNoTemporary) {
  TempDir dir;
  const std::string old = dir.Write("old.csv", "old");
  ASSERT_EQ(chmod(old.c_str(), 0640), 0);
  const std::vector<std::pair<std::string, std::string>> files = {{dir.File("new.csv"), "a"},
                                                                  {old, "b"},
                                                                  {dir.File("missing/c.csv"), "c"},
                                                                  {dir.File("later.csv"), "d"}};
  size_t failed = 0;
  WriteFailure failure = WriteFailure::None;
  EXPECT_FALSE(WriteFilesAtomically(files, failed, failure));
  EXPECT_EQ(failed, 2u);
  EXPECT_EQ(failure, WriteFailure::Open);
  EXPECT_EQ(ReadFile(dir.File("new.csv")), "a");
  EXPECT_EQ(ReadFile(old), "b");
  struct stat st {};
  ASSERT_EQ(stat(old.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.File(""))) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"new.csv", "old.csv"}));

  EXPECT_TRUE(WriteFilesAtomically({{dir.File("later.csv"), "d"}}, failed, failure));
  EXPECT_EQ(ReadFile(dir.File("later.csv")), "d");
}

TEST(WholeFileWrites, AWriteKilledHalfWayLeavesNoTemporaryBehind) {
  TempDir dir;
  const std::string path = dir.Write("big.csv", "old");
  const std::string bytes(256 << 20, 'x');  // long enough to be killed while it is written
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) _exit(WriteFileAtomically(path, bytes) ? 0 : 1);
  usleep(20000);
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the write ended before the kill";
  EXPECT_EQ(ReadFile(path), "old");
  const std::filesystem::directory_iterator entries(dir.Path());
  EXPECT_EQ(std::distance(begin(entries), end(entries)), 1);
}

class OddInputTest : public testing::Test {
 protected:
  void SetUp() override { ResetDataSets(sets_.get(), kMaxDataSets); }
  bool AnyActive() const {
    for (int i = 0; i < kMaxDataSets; ++i)
      if (sets_[i].active) return true;
    return false;
  }

  std::unique_ptr<GridDataSet[]> sets_ = MakeDataSets();
  MessageRecorder messages_;
  TempDir dir_;
};

TEST_F(OddInputTest, DirectoryAndDanglingLinkAreOpenErrors) {
  const std::string link = dir_.File("gone.thk");
  ASSERT_EQ(symlink(dir_.File("nowhere.thk").c_str(), link.c_str()), 0);
  for (const std::string& path : {dir_.Path(), link}) {
    messages_.Clear();
    EXPECT_EQ(LoadThkFile(path, sets_.get()), -1);
    EXPECT_EQ(messages_.Only(), "File open error. -> " + path);
    messages_.Clear();
    ViewerParams p = DesignedParams();
    EXPECT_EQ(LoadParameter(path, p), -1);
    EXPECT_EQ(messages_.Only(), "<LoadParameter> File open error.");
  }
  EXPECT_FALSE(AnyActive());
}

TEST_F(OddInputTest, FifoIsReadWhenFedAndNeverWaitedOnWhenNot) {
  const std::string fifo = dir_.File("pipe.thk");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Nobody writes: the read must end at once (a blocking open would hang the test here).
  EXPECT_EQ(LoadThkFile(fifo, sets_.get()), -1);
  EXPECT_EQ(messages_.Only(), "Data count is zero.");
  messages_.Clear();
  ViewerParams p = DesignedParams();
  EXPECT_EQ(LoadParameter(fifo, p), -1);
  EXPECT_EQ(messages_.Only(), "Parameter read error.(Auto Fill)");

  messages_.Clear();
  std::thread writer([&] {
    std::FILE* f = nullptr;
    while (f == nullptr) f = std::fopen(fifo.c_str(), "wb");  // waits for the reader
    std::fputs("500,\n10,10,\n1,A,\n0,0,1.5,\n10,0,2.5,\n", f);
    std::fclose(f);
  });
  // The reader may open before the writer: a FIFO it finds unwritten then reads as empty.
  int n = -1;
  for (int attempt = 0; attempt < 100 && n < 0; ++attempt) {
    n = LoadThkFile(fifo, sets_.get());
    if (n < 0) usleep(10000);
  }
  writer.join();
  ASSERT_EQ(n, 1);
  EXPECT_EQ(sets_[0].pointCount, 2);
  EXPECT_EQ(sets_[0].values[10][0], 2.5);
}

TEST_F(OddInputTest, FileCutShortWhileReadLoadsNothing) {
  std::string text = "500,\n1,1,\n1,A,\n";
  for (int x = 0; x <= 500; ++x) {
    for (int y = 0; y <= 500; ++y) {
      text += std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(x + y) + ",\n";
    }
  }
  // Cut the file as soon as the reader holds it open: whatever the reader got by then, it must
  // not pass off the first part as the whole measurement. A cut that lands before the reader
  // has even looked at the file's size is a plain small file, so that case is tried again.
  int n = 1;
  for (int attempt = 0; attempt < 5 && n != -1; ++attempt) {
    const std::string path = dir_.Write("big.thk", text);
    const std::string target = std::filesystem::canonical(path).string();
    std::atomic<bool> done{false};
    std::thread cutter([&] {
      while (!done) {
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
          std::error_code ec;
          if (std::filesystem::read_symlink(entry.path(), ec).string() == target) {
            truncate(path.c_str(), 4000);
            return;
          }
        }
      }
    });
    messages_.Clear();
    ResetDataSets(sets_.get(), kMaxDataSets);
    n = LoadThkFile(path, sets_.get());
    done = true;
    cutter.join();
    if (n == -1) {
      EXPECT_EQ(messages_.Only(), "File read error. -> " + path);
    }
  }
  EXPECT_EQ(n, -1);
  EXPECT_FALSE(AnyActive());
}

}  // namespace
}  // namespace orvelle
