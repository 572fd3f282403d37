// Reading the exchange file: its lines in file order through the record
// dispatch, on two threads when the file is large.
#include "exchange/Loader.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/FileIO.h"
#include "base/Threads.h"
#include "exchange/Entities.h"
#include "exchange/LineSource.h"
#include "exchange/Records.h"
#include "exchange/Tokenizer.h"

namespace {

// A large file is read on two threads: one reads, splits and tokenizes the
// lines and reads the numbers of plain lines, which need nothing of the
// state; the other takes them in file order into the state, with every
// other record. The lines travel in batches, a few at a time.
class TTwoThreadRead {
 public:
  explicit TTwoThreadRead(TFileReader& file) : file_(file) {
    reader_ = std::thread([this] { Read(); });
  }
  TTwoThreadRead(const TTwoThreadRead&) = delete;
  TTwoThreadRead& operator=(const TTwoThreadRead&) = delete;
  ~TTwoThreadRead() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    reader_.join();
  }

  // Every line into the state; false when reading failed. Throws what the
  // reading thread threw, once the lines before it are in.
  bool Run() {
    TRecordParser parser;
    for (;;) {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return !ready_.empty() || done_; });
      if (ready_.empty()) break;
      TBatch batch = std::move(ready_.front());
      ready_.pop_front();
      lock.unlock();
      changed_.notify_all();
      for (const TLine& l : batch.Lines) {
        if (l.Plain)
          AddPlainLine(l.V[0], l.V[1], l.V[2], l.V[3]);
        else
          parser.Parse(std::string_view(batch.Text).substr(l.Offset, l.Length));
      }
    }
    if (failure_) std::rethrow_exception(failure_);
    return !failed_;
  }

 private:
  struct TLine {
    bool Plain;
    size_t Offset, Length;  // in the batch's text, when not a plain line
    double V[4];            // x1, y1, x2, y2 of a plain line
  };
  struct TBatch {
    std::vector<TLine> Lines;
    std::string Text;
  };
  static constexpr size_t kBatchLines = 4096, kBatchesAhead = 4;

  void Read() {
    TBatch batch;
    try {
      TLineSource lines(file_);
      std::string scratch;
      TTokens t;
      for (std::string_view line; lines.Next(line);) {
        Tokenize(line, scratch, t);
        if (t.Count == 1 && t.Tok[0].empty()) continue;
        TLine l{IsPlainLine(t), batch.Text.size(), line.size(), {}};
        if (l.Plain) {
          for (size_t k = 0; k < 4; ++k) l.V[k] = NumberAt(t, k);
        } else {
          batch.Text.append(line);
        }
        batch.Lines.push_back(l);  // whole, or not at all
        if (batch.Lines.size() == kBatchLines && !Hand(std::move(batch))) return;
      }
      failed_ = lines.Failed();
    } catch (...) {
      failure_ = std::current_exception();
    }
    try {
      Hand(std::move(batch));  // the lines before the end, or before a failure
    } catch (...) {
      if (!failure_) failure_ = std::current_exception();
    }
    std::lock_guard lock(mutex_);
    done_ = true;
    changed_.notify_all();
  }

  // Hands a batch over; false when the taker has stopped.
  bool Hand(TBatch&& batch) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return ready_.size() < kBatchesAhead || stop_; });
    if (stop_) return false;
    ready_.push_back(std::move(batch));
    batch = TBatch{};
    changed_.notify_all();
    return true;
  }

  TFileReader& file_;
  std::thread reader_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<TBatch> ready_;
  bool done_ = false, stop_ = false;
  bool failed_ = false;              // written before done_, read after it
  std::exception_ptr failure_;       // likewise
};

// From this size on, a second thread pays for itself.
constexpr uintmax_t kTwoThreadBytes = 1 << 20;

}  // namespace

bool LoadExchangeFile(const std::filesystem::path& path, TReadCut* cut, TFileStamp* stamp) {
  if (cut) *cut = TReadCut::kNone;
  TLockWait wait;  // for a program that still holds the fresh file
  TFileReader file(&wait);
  if (!file.Open(path)) {  // missing, unreadable, or not a regular file
    if (stamp) *stamp = StampOf(path);
    return false;
  }
  if (stamp) *stamp = file.Stamp();
  TReadCut end = TReadCut::kReadError;
  try {
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    std::optional<TTwoThreadRead> two;
    if (!ec && size >= kTwoThreadBytes && WorkerThreads() >= 2) {
      try {
        two.emplace(file);
      } catch (...) {  // no second thread to be had, whatever the reason: one reads alone
      }
    }
    bool read = false;
    if (two) {
      read = two->Run();
    } else {
      TLineSource lines(file);
      TRecordParser parser;
      for (std::string_view line; lines.Next(line);) parser.Parse(line);
      read = !lines.Failed();
    }
    if (read) end = TReadCut::kNone;
  } catch (const std::bad_alloc&) {  // on either thread: the lines before stay
    end = TReadCut::kMemory;
  } catch (...) {  // whatever else stopped either thread
  }
  if (cut) *cut = end;
  return end == TReadCut::kNone && file.Close();
}
