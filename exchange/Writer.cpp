#include "exchange/Writer.h"

#include <new>
#include <string>

#include "exchange/FileIO.h"
#include "exchange/SjisText.h"
#include "geometry/NumText.h"

void AddOutLine(std::string_view text) { OutLines.Append(text); }

void OutComment(std::string_view text) {
  std::string rec = "h#";
  rec += text;
  AddOutLine(rec);
}

void OutLayerGroup(int32_t group) {
  if (!OutAttrs.LgPending && group == OutAttrs.LayerGroup) return;
  std::string rec = "lg";
  AppendHexInt(rec, group);
  AddOutLine(rec);
  OutAttrs.LayerGroup = group;
  OutAttrs.LgPending = false;
  OutAttrs.LyPending = true;  // a layer means nothing without the group before it
}

void OutLayer(int32_t layer) {
  if (!OutAttrs.LyPending && layer == OutAttrs.Layer) return;
  std::string rec = "ly";
  AppendHexInt(rec, layer);
  AddOutLine(rec);
  OutAttrs.Layer = layer;
  OutAttrs.LyPending = false;
}

// The host numbers the pens from 10 on as 101 and up.
constexpr int32_t kHostPenOffset = 91;

int32_t PenToHost(int32_t pen) {
  if (pen <= 0) return FirstLineColor;
  if (pen <= 9) return pen;
  return pen > INT32_MAX - kHostPenOffset ? INT32_MAX : pen + kHostPenOffset;
}

void OutPen(int32_t pen, int32_t mode) {
  if (mode == 1) pen = PenToHost(pen);
  if (!OutAttrs.PnPending && pen == OutAttrs.Pen) return;
  std::string rec = "pn";
  AppendDecimalInt(rec, pen);
  AddOutLine(rec);
  OutAttrs.Pen = pen;
  OutAttrs.PnPending = false;
}

void OutPoint(double x, double y) {
  // Coordinates are data for the host, not text for a person: always ".".
  OutLines.AppendBuilt([x, y](std::string& rec) {
    rec += "pt ";
    AppendGeneralFloat(rec, x);
    rec += ' ';
    AppendGeneralFloat(rec, y);
  });
}

void ResetOutAttrs() { OutAttrs = TOutAttrs{}; }

TReplyMark MarkReply() { return {OutLineCount, OutAttrs}; }

void RewindReply(const TReplyMark& mark) {
  OutLines.Truncate(mark.OutLineCount);
  OutAttrs = mark.Attrs;
}

namespace {

// Collects the reply in large blocks before they go to the file.
class TBlockWriter {
 public:
  explicit TBlockWriter(TFileWriter& file) : file_(file) { buf_.reserve(kBlock + 512); }
  bool Put(std::string_view s) {
    buf_.append(s);
    return buf_.size() < kBlock || Flush();
  }
  bool Flush() {
    const bool ok = file_.Write(buf_.data(), buf_.size());
    buf_.clear();
    return ok;
  }

 private:
  static constexpr size_t kBlock = 1 << 20;
  TFileWriter& file_;
  std::string buf_;
};

// Our own temporary file goes in any case; a hold on it (a scanner looking at
// the fresh file) is waited out for a moment even when the time for the
// exchange file is up.
void RemoveTemp(const std::filesystem::path& temp) {
  TLockWait wait(std::chrono::seconds(1));
  RemoveFile(temp, &wait);
}

// The records as lines with CR LF. A record ending in a double quote (the
// opening quote of a text) is joined with the record after it into one line,
// which the reader takes back as one token.
bool WriteReply(TFileWriter& file) {
  TBlockWriter out(file);
  if (OutLineCount == 0) return out.Put("hq\r\n") && out.Flush();
  for (int32_t i = 0; i < OutLineCount; ++i) {
    const std::string_view rec = OutLines[i];
    if (!out.Put(rec)) return false;
    if (!rec.empty() && rec.back() == '"') {
      if (i + 1 == OutLineCount) break;
      if (!out.Put(OutLines[++i])) return false;
    }
    if (!out.Put("\r\n")) return false;
  }
  return out.Flush();
}

// Rewrites the file where it stands: for a folder where no new file can be
// made. `touched` tells whether the file was opened, and so emptied.
bool RewriteInPlace(const std::filesystem::path& path, TLockWait& wait, bool& touched) {
  TFileWriter file(&wait);
  if (!file.Create(path, false)) return false;
  touched = true;
  if (WriteReply(file) && file.Flush() && file.Close()) return true;
  // Never leave part of a reply: empty the file before trying to delete it.
  file.Truncate();
  file.Close();
  return false;
}

}  // namespace

bool SaveExchangeFile(const std::filesystem::path& path, bool* hostFileLeft) {
  if (hostFileLeft) *hostFileLeft = false;
  if (path.empty()) return false;  // names no file: nothing is written where the program stands
  // Other programs' holds on the files are waited out, but not for longer
  // than this in all.
  TLockWait wait;
  // The reply goes to a new file beside the exchange file first, which then
  // takes its place, so that the host never reads half a reply; it is on the
  // disk before, so that a crash after the exit leaves the one or the other.
  std::filesystem::path temp;
  bool created = false;
  bool touched = false;  // the exchange file itself was emptied
  try {
    TFileWriter file(&wait);
    for (int attempt = 0; attempt < 100 && !created; ++attempt) {
      std::string suffix = ".";
      suffix += std::to_string(ProcessId());
      suffix += '-';
      suffix += std::to_string(attempt);
      suffix += ".tmp";
      temp = path;
      temp += suffix;
      created = file.Create(temp, true);
    }
    if (created) {
      const bool written = WriteReply(file) && file.Flush() && file.Close();
      if (written && MoveFileOver(temp, path, &wait)) return true;
      file.Close();
      RemoveTemp(temp);
      created = false;
    }
    if (RewriteInPlace(path, wait, touched)) return true;
  } catch (const std::exception&) {
  }
  // The host must not read its own selection back as if it were the reply.
  // Once the file was emptied, it holds no selection; short of that, only a
  // file that is gone for certain does not. With no memory left even for a
  // path's wide form, nothing more is tried, and the selection may be there.
  bool left = !touched;
  try {
    if (created) RemoveTemp(temp);
    if (RemoveFile(path, &wait) || !IsRegularFile(path)) left = false;
  } catch (const std::exception&) {
  }
  if (hostFileLeft) *hostFileLeft = left;
  return false;
}
