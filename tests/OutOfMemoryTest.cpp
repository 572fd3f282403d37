// Memory running out at any one allocation of a read or a division, or at
// every allocation from one on, and a read error part-way through the file:
// the state stays sound, a selection read in part is never walked, and once
// memory is back another OK replies what one OK replies on a fresh start.
#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "WorkerThreads.h"
#include "app/Ahead.h"
#include "app/Captions.h"
#include "base/MemoryCeiling.h"
#include "exchange/KdxGaibu.h"
#include "geometry/Separators.h"

namespace {

// The allocation that fails, counting from when the failure was armed; 0: none.
// The reader of a large file allocates on a thread of its own too.
std::atomic<long long> gFailAt{0};
std::atomic<bool> gExhausted{false};  // every allocation from that one on fails too
std::atomic<long long> gAllocations{0};

void Arm(long long at, bool exhausted) {
  gAllocations = 0;
  gExhausted = exhausted;
  gFailAt = at;
}
// True when the failure struck.
bool Disarm() {
  const bool struck = gFailAt > 0 && gAllocations >= gFailAt;
  gFailAt = 0;
  return struck;
}

}  // namespace

namespace {
// The read of a file (not a standard stream) that fails with EIO, counting
// from when it was armed; 0: none.
std::atomic<long long> gReadFailsAt{0};
std::atomic<long long> gReads{0};
}  // namespace

// Every read of the process comes here; the reader's reach the kernel or fail.
extern "C" ssize_t read(int fd, void* buf, size_t n) {
  if (fd > 2 && gReadFailsAt > 0 && ++gReads == gReadFailsAt) {
    errno = EIO;
    return -1;
  }
  return syscall(SYS_read, fd, buf, n);
}

void* operator new(std::size_t n) {
  const long long at = gFailAt;
  if (at > 0) {
    const long long count = ++gAllocations;
    if (count == at || (gExhausted && count > at)) throw std::bad_alloc();
  }
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Lines over two blocks of the tables, circles and a full ellipse to cut,
// texts with strings of their own: every kind of append the reader makes.
std::string Selection() {
  std::ostringstream in;
  in << "lg2\r\nly3\r\nlc4\r\nhp1 0 0\r\n";
  for (int i = 0; i < 1500; ++i) in << i << " 0 " << i + 1 << " 0\r\n";
  in << "ci 1510 0 10\r\nci 1530 0 10 0 0 0.5 0\r\nch 0 0 1 0 \"a text\r\nmsg\r\n0 0 1 1\r\ncs 0 0 1 0 x\r\n";
  return in.str();
}

// Every count within its table, and one EntityOrder entry per entity.
void ExpectSoundTables() {
  EXPECT_LE(LineCount, Lines.Length());
  EXPECT_LE(CircleCount, Circles.Length());
  EXPECT_LE(ArcCount, Arcs.Length());
  EXPECT_LE(TextCount, Texts.Length());
  EXPECT_LE(LineTextCount, LineTexts.Length());
  EXPECT_LE(EntityOrderCount, EntityOrder.Length());
  EXPECT_EQ(EntityOrderCount, LineCount + CircleCount + ArcCount + TextCount + LineTextCount);
  EXPECT_LE(OutLineCount, OutLines.Length());
}

constexpr char kDistance[] = "7";

class OutOfMemory : public ::testing::Test {
 protected:
  TTempDir dir;
  void SetUp() override {
    SetUserSeparators({".", ","});
    WriteBytes(dir / kExchangeFileName, Selection());
  }
  void TearDown() override {
    Disarm();
    SetMemoryCeiling(0);
  }
};

}  // namespace

// A read cut short by memory keeps what it read, soundly: a division on it
// runs without reading past any table.
TEST_F(OutOfMemory, ReadStopsSoundlyAtEveryAllocation) {
  const std::string input = Selection();
  const auto file = dir / kExchangeFileName;
  for (long long at = 1;; ++at) {
    GaibuInit();
    Arm(at, false);
    const bool read = LoadExchangeFile(file);
    if (!Disarm()) {
      EXPECT_TRUE(read);
      EXPECT_EQ(LineCount, 1500);
      break;
    }
    EXPECT_FALSE(read) << at;
    ExpectSoundTables();
    ResetOutAttrs();
    TFakeHost host;
    host.Folder = dir.Path();
    TForm1 form(host);
    form.ExeFolder = dir.Path();
    host.Edit = std::string(kDistance);
    form.Button1Click();
    form.Button2Click();
    WriteBytes(dir / kExchangeFileName, input);
    ASSERT_LT(at, 10000) << "the read never finished";
  }
}

// A read that memory or a read error stops part-way, on one thread or on
// either of two: the dialog opens and says so at once, OK walks nothing of
// what was read and says it again, and Cancel replies "hq". Where the read
// gets over the failure (no second thread to be had: one reads alone), OK
// replies in full; where the failure strikes before the read, "hq" at once.
TEST_F(OutOfMemory, ReadCutShortIsNeverWalked) {
  std::string large = Selection();
  while (large.size() < (3u << 19)) large += "7 8 9 10\r\nlc2\r\nci 1 1 1\r\n";
  const std::string small = Selection();
  const auto file = dir / kExchangeFileName;
  const std::string* inputs[] = {&large, &small};
  for (const bool readError : {false, true}) {
    for (const std::string* input : inputs) {
      TWorkerThreads threads(input == &large ? 2 : 1);
      const std::string want = OneOkReply(dir.Path(), *input, kDistance);
      for (long long at = 1;; at += readError ? 1 : 1 + at / 8) {
        TFakeHost host;
        host.Folder = dir.Path();
        TForm1 form(host);
        WriteBytes(file, *input);
        if (readError) {
          gReads = 0;
          gReadFailsAt = at;
        } else {
          Arm(at, false);
        }
        form.FormShow();
        const bool struck = readError ? gReads >= at : Disarm();
        gReadFailsAt = 0;
        ExpectSoundTables();
        if (form.Closed()) {
          EXPECT_EQ(ReadBytes(file), "hq\r\n") << at;
          continue;
        }
        // A read error, or memory running out, is told as such.
        const char* const cutStatus = readError ? status::kReadCut : status::kOutOfMemory;
        const bool cut = host.Status == cutStatus;
        host.Edit = kDistance;
        form.Button1Click();
        if (!cut) {
          ASSERT_TRUE(form.Closed()) << at << ": " << host.Status;
          EXPECT_EQ(ReadBytes(file), want) << at;
          if (!struck) break;
          continue;
        }
        ASSERT_TRUE(struck) << at;
        ASSERT_FALSE(form.Closed()) << at;
        EXPECT_EQ(host.Status, cutStatus) << at;
        EXPECT_EQ(OutLineCount, 0) << at;
        form.Button2Click();
        EXPECT_EQ(ReadBytes(file), "hq\r\n") << at;
        ASSERT_LT(at, 100000) << "the read never finished";
      }
    }
  }
}

// A selection too large for the machine stops as memory running out does,
// before the system would have to end the program: a million lines, 72 MB
// of tables, over a ceiling set low. The dialog says so, and Cancel replies
// "hq".
TEST_F(OutOfMemory, ASelectionOverTheCeilingIsRefused) {
  std::string input = "hp1 0 0\r\n";
  for (int i = 0; i < 1000000; ++i) input += "0 0 1 0\r\n";
  WriteBytes(dir / kExchangeFileName, input);
  input.clear();
  TFakeHost host;
  host.Folder = dir.Path();
  TForm1 form(host);
  SetMemoryCeiling(1);
  form.FormShow();
  SetMemoryCeiling(0);
  ASSERT_FALSE(form.Closed());
  EXPECT_EQ(host.Status, status::kOutOfMemory);
  EXPECT_LT(LineCount, 1000000);
  host.Edit = kDistance;
  form.Button1Click();
  EXPECT_EQ(host.Status, status::kOutOfMemory);
  form.Button2Click();
  EXPECT_EQ(ReadBytes(dir / kExchangeFileName), "hq\r\n");
}

// Memory running out as the work ahead starts its threads: whatever did not
// start, the threads that did or the consumer alone do every item once.
TEST_F(OutOfMemory, WorkAheadGoesOnWithTheThreadsItHas) {
  std::vector<std::atomic<int>> runs(100);
  const auto work = [&runs](size_t j) { ++runs[j]; };
  long long own = 0;  // what the object allocates for itself, before any thread
  {
    TWorkerThreads alone(1);
    Arm(LLONG_MAX, false);
    TAhead count(runs.size(), 8, work);
    own = gAllocations;
    Disarm();
  }
  TWorkerThreads threads(4);
  for (long long at = 1;; ++at) {
    for (auto& r : runs) r = 0;
    Arm(at, false);
    try {
      TAhead ahead(runs.size(), 8, work);
      for (size_t j = 0; j < runs.size(); ++j) ahead.Wait(j);
    } catch (const std::bad_alloc&) {  // only for the object's own memory
      ASSERT_TRUE(Disarm());
      ASSERT_LE(at, own);
      continue;
    }
    const bool struck = Disarm();
    for (size_t j = 0; j < runs.size(); ++j) ASSERT_EQ(runs[j], 1) << at << ": " << j;
    if (!struck) break;
    ASSERT_LT(at, 100);
  }
}

// A division that memory stops leaves the dialog open with a message of its
// own and the state as read; the next OK replies as one OK would.
TEST_F(OutOfMemory, DivisionTakesEverythingBackAtEveryAllocation) {
  const std::string input = Selection();
  const std::string want = OneOkReply(dir.Path(), input, kDistance);
  ASSERT_NE(want, "hq\r\n");
  for (const bool exhausted : {false, true}) {
    for (long long at = 1;; ++at) {
      TFakeHost host;
      host.Folder = dir.Path();
      TForm1 form(host);
      WriteBytes(dir / kExchangeFileName, input);
      form.FormShow();
      const int32_t arcs = ArcCount, order = EntityOrderCount;
      const double ellipseStart = Arcs[0].StartAngle;
      host.Edit = std::string(kDistance);
      Arm(at, exhausted);
      form.Button1Click();
      const bool struck = Disarm();
      if (form.Closed()) {
        // The reply was complete before memory ran out: it stands, or when
        // the file could not be written, none does.
        const std::string reply = ReadBytes(dir / kExchangeFileName);
        EXPECT_TRUE(reply == want || reply.empty()) << at << ": " << reply.substr(0, 100);
        if (!struck) break;
        continue;
      }
      ASSERT_TRUE(struck);
      if (!exhausted) {
        EXPECT_EQ(host.Status, status::kOutOfMemory) << at;
      }
      EXPECT_EQ(ArcCount, arcs) << at;
      EXPECT_EQ(EntityOrderCount, order) << at;
      EXPECT_EQ(Arcs[0].StartAngle, ellipseStart) << at;
      EXPECT_EQ(OutLineCount, 0) << at;
      ExpectSoundTables();
      form.Button1Click();
      ASSERT_TRUE(form.Closed()) << at << ": " << host.Status;
      EXPECT_EQ(ReadBytes(dir / kExchangeFileName), want) << at;
      ASSERT_LT(at, 10000) << "the division never finished";
    }
  }
}
