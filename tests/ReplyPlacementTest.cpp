// Placing the reply where the exchange file is: the wait for other programs'
// holds, and what the dialog does when the host's selection cannot be
// replaced nor deleted.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>

#include "FakeHost.h"
#include "base/FileIO.h"
#include "base/FileLock.h"
#include "exchange/KdxGaibu.h"

namespace {

using std::chrono::milliseconds;

// Sets or clears the immutable flag, which keeps even root from replacing,
// writing or deleting the file. False where the file system or the process
// does not allow it.
bool SetImmutable(const std::filesystem::path& file, bool on) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (ok) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return ok;
}

// The exchange file as no program can change it: immutable for root, a
// read-only file in a read-only folder for anybody else. Undone at the end.
class TUnchangeable {
 public:
  TUnchangeable(const TTempDir& dir, const std::filesystem::path& file) : dir_(dir), file_(file) {
    if (::geteuid() == 0) {
      ok_ = SetImmutable(file_, true);
    } else {
      ok_ = ::chmod(file_.c_str(), 0444) == 0 && ::chmod(dir_.Path().c_str(), 0555) == 0;
    }
  }
  ~TUnchangeable() {
    if (::geteuid() == 0) SetImmutable(file_, false);
    ::chmod(dir_.Path().c_str(), 0755);
  }
  bool Ok() const { return ok_; }

 private:
  const TTempDir& dir_;
  std::filesystem::path file_;
  bool ok_ = false;
};

const std::string kSelection = "hp1 0 0\r\n0 0 10 0\r\n";

size_t FilesIn(const TTempDir& dir) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir.Path()), {}));
}

}  // namespace

TEST(LockWait, WaitsGrowAndEndWithTheTime) {
  TLockWait none(milliseconds(0));
  EXPECT_FALSE(none.Sleep());

  // 20 + 40 + 80 ms, then the 10 ms that are left: four waits at most, fewer
  // when the machine is slow to wake the test.
  const auto start = std::chrono::steady_clock::now();
  TLockWait wait(milliseconds(150));
  int waits = 0;
  while (wait.Sleep()) ++waits;
  EXPECT_GE(waits, 1);
  EXPECT_LE(waits, 4);
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(150));
  EXPECT_FALSE(wait.Sleep());  // and stays over
}

TEST(ReplyPlacement, ReplacedOrDeletedLeavesNoHostFile) {
  GaibuInit();
  TTempDir dir;
  bool hostFileLeft = true;
  WriteBytes(dir / "QZT_TEMP.TXT", kSelection);
  EXPECT_TRUE(SaveExchangeFile(dir / "QZT_TEMP.TXT", &hostFileLeft));
  EXPECT_FALSE(hostFileLeft);
  EXPECT_EQ(ReadBytes(dir / "QZT_TEMP.TXT"), "hq\r\n");

  // A directory in the file's place is no selection the host could read.
  std::filesystem::remove(dir / "QZT_TEMP.TXT");
  std::filesystem::create_directory(dir / "QZT_TEMP.TXT");
  hostFileLeft = true;
  EXPECT_FALSE(SaveExchangeFile(dir / "QZT_TEMP.TXT", &hostFileLeft));
  EXPECT_FALSE(hostFileLeft);
}

TEST(ReplyPlacement, AFileThatCannotChangeIsReportedAndKept) {
  GaibuInit();
  TTempDir dir;
  WriteBytes(dir / "QZT_TEMP.TXT", kSelection);
  TUnchangeable lock(dir, dir / "QZT_TEMP.TXT");
  if (!lock.Ok()) GTEST_SKIP() << "the file cannot be made unchangeable here";
  AddOutLine("pt 1 2");
  bool hostFileLeft = false;
  EXPECT_FALSE(SaveExchangeFile(dir / "QZT_TEMP.TXT", &hostFileLeft));
  EXPECT_TRUE(hostFileLeft);
  EXPECT_EQ(ReadBytes(dir / "QZT_TEMP.TXT"), kSelection);
  EXPECT_EQ(FilesIn(dir), 1u);  // no temporary file
}

// The dialog shown on the host's selection.
struct TShownOnSelection {
  TTempDir dir;
  TFakeHost host;
  TForm1 form{host};
  TShownOnSelection() {
    host.Folder = dir.Path();
    WriteBytes(dir / kExchangeFileName, kSelection);
    form.FormShow();
  }
};

// Shown, OK, closed: the dialog tells the user once, after the file was
// given up and before the window goes; then late input changes nothing.
TEST(ReplyPlacement, TheDialogTellsWhenTheSelectionStays) {
  TShownOnSelection shown;
  TTempDir& dir = shown.dir;
  TFakeHost& host = shown.host;
  TForm1& form = shown.form;
  TUnchangeable lock(dir, dir / kExchangeFileName);
  if (!lock.Ok()) GTEST_SKIP() << "the file cannot be made unchangeable here";
  host.Edit = "4";
  form.Button1Click();
  form.Button2Click();
  ASSERT_GE(host.Log.size(), 2u);
  EXPECT_EQ(host.Log[host.Log.size() - 2], "selection left");
  EXPECT_EQ(host.Log.back(), "close");
  EXPECT_EQ(std::count(host.Log.begin(), host.Log.end(), "selection left"), 1);
  EXPECT_EQ(ReadBytes(dir / kExchangeFileName), kSelection);
  EXPECT_EQ(FilesIn(dir), 1u);
}

TEST(ReplyPlacement, ACompleteReplyTellsNothing) {
  TShownOnSelection shown;
  TFakeHost& host = shown.host;
  TForm1& form = shown.form;
  host.Edit = "4";
  form.Button1Click();
  ASSERT_TRUE(form.Closed());
  EXPECT_EQ(std::count(host.Log.begin(), host.Log.end(), "selection left"), 0);
  EXPECT_NE(ReadBytes(shown.dir / kExchangeFileName), kSelection);
}

// A file that changed after it was read (the host wrote a new selection) is
// not the one to answer: it is left alone, and the user is told, whether the
// reply would have been moved over it or written into it (a folder where no
// file can be made).
TEST(ReplyPlacement, AFileChangedSinceItWasReadIsLeftAlone) {
  const std::string changed = "hp1 0 0\r\n0 0 20 0\r\n5 5 6 6\r\n";
  for (const bool inPlace : {false, true}) {
    TShownOnSelection shown;
    WriteBytes(shown.dir / kExchangeFileName, changed);
    std::unique_ptr<TUnchangeable> folder;
    if (inPlace) {
      const auto probe = shown.dir / "probe";
      folder = std::make_unique<TUnchangeable>(shown.dir, shown.dir.Path());
      if (!folder->Ok() || std::ofstream(probe)) GTEST_SKIP() << "no folder can be closed to new files here";
    }
    shown.form.Button2Click();
    EXPECT_EQ(std::count(shown.host.Log.begin(), shown.host.Log.end(), "selection left"), 1) << inPlace;
    EXPECT_EQ(ReadBytes(shown.dir / kExchangeFileName), changed) << inPlace;
  }
}

// While another program holds the exchange file, the dialog closes as it is
// shown and says so; nothing it does, a failure after it included, touches
// the file. Once the other has let go, the next one answers as ever and
// leaves no lock file behind.
TEST(ReplyPlacement, AnotherProgramsFileIsNotTouched) {
  TTempDir dir;
  WriteBytes(dir / kExchangeFileName, kSelection);
  TFileLock other;
  ASSERT_EQ(other.Take(dir / kExchangeFileName), TFileLock::kHeld);
  {
    TFakeHost host;
    host.Folder = dir.Path();
    TForm1 form(host);
    form.FormShow();
    EXPECT_TRUE(form.Closed());
    EXPECT_TRUE(form.AnotherInstance());
    EXPECT_EQ(std::count(host.Log.begin(), host.Log.end(), "held elsewhere"), 1);
    form.CloseOnFailure();
    TFakeHost failing;
    failing.Folder = dir.Path();
    TForm1(failing).CloseOnFailure();  // a window that could not be made
    EXPECT_EQ(ReadBytes(dir / kExchangeFileName), kSelection);
  }
  other.Release();
  TShownOnSelection after;
  after.form.Button2Click();
  EXPECT_EQ(ReadBytes(after.dir / kExchangeFileName), "hq\r\n");
  EXPECT_EQ(FilesIn(after.dir), 1u);
}
