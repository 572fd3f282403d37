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
  bool operator()(std::string_view s) {
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

// The records as lines with CR LF, each piece handed to `put`. A record
// ending in a double quote (the opening quote of a text) is joined with the
// record after it into one line, which the reader takes back as one token.
template <class Put>
bool EmitReply(Put&& put) {
  if (OutLineCount == 0) return put("hq\r\n");
  for (int32_t i = 0; i < OutLineCount; ++i) {
    const std::string_view rec = OutLines[i];
    if (!put(rec)) return false;
    if (!rec.empty() && rec.back() == '"') {
      if (i + 1 == OutLineCount) break;
      if (!put(OutLines[++i])) return false;
    }
    if (!put("\r\n")) return false;
  }
  return true;
}

bool WriteReply(TFileWriter& file) {
  TBlockWriter out(file);
  return EmitReply(out) && out.Flush();
}

// The temporary files are named after the exchange file, the process and
// the attempt: QZT_TEMP.TXT.1234-0.tmp.
constexpr char kTempSuffix[] = ".tmp";

std::filesystem::path TempName(const std::filesystem::path& file, int attempt) {
  std::string suffix = ".";
  suffix += std::to_string(ProcessId());
  suffix += '-';
  suffix += std::to_string(attempt);
  suffix += kTempSuffix;
  std::filesystem::path temp = file;
  temp += suffix;
  return temp;
}

enum class TInPlace {
  kUntouched,  // the file is as it was
  kChanged,    // not the file that was read: left alone
  kWritten,    // the reply is in it
  kEmptied,    // the reply could not be written, and the file is empty
  kPartial,    // part of a reply that could not be taken back
};

// Rewrites the file where it stands, for a folder where no new file can be
// made. The reply is made whole first and goes in with one write, so that a
// program stopped meanwhile leaves the file as it was, empty, or at worst
// short by what that one write had not yet put in.
TInPlace RewriteInPlace(const std::filesystem::path& path, TLockWait& wait, const TFileStamp* read) {
  std::string reply;
  EmitReply([&reply](std::string_view s) {
    reply.append(s);
    return true;
  });
  TFileWriter file(&wait);
  const bool wasMissing = read && read->Kind == TFileStamp::kMissing;
  if (!(wasMissing ? file.Create(path, true) : file.OpenExisting(path) || (!read && file.Create(path, true))))
    return TInPlace::kUntouched;
  if (read && !wasMissing && !SameFile(file.Stamp(), *read)) return TInPlace::kChanged;
  if (!file.Truncate()) return TInPlace::kUntouched;
  if (file.Write(reply.data(), reply.size()) && file.Flush() && file.Close()) return TInPlace::kWritten;
  return file.Truncate() && file.Flush() ? TInPlace::kEmptied : TInPlace::kPartial;
}

}  // namespace

bool SaveExchangeFile(const std::filesystem::path& path, bool* hostFileLeft, const TFileStamp* read) {
  if (hostFileLeft) *hostFileLeft = false;
  if (path.empty()) return false;  // names no file: nothing is written where the program stands
  // Other programs' holds on the files are waited out, but not for longer
  // than this in all.
  TLockWait wait;
  std::filesystem::path target, temp;
  bool created = false;
  bool changed = false;  // not the file that was read: nothing is done to it
  TInPlace inPlace = TInPlace::kUntouched;
  try {
    target = LinkTarget(path);  // a link stays, and what it leads to gets the reply
    changed = read && !SameFile(StampOf(target), *read);
    // The reply goes to a new file beside the exchange file first, which
    // then takes its place, so that the host never reads half a reply; it is
    // on the disk before, so that a crash after the exit leaves the one or
    // the other.
    TFileWriter file(&wait);
    for (int attempt = 0; attempt < 100 && !changed && !created; ++attempt) {
      temp = TempName(target, attempt);
      created = file.Create(temp, true);
    }
    if (created) {
      const bool written = WriteReply(file) && file.Flush() && file.Close();
      changed = read && !SameFile(StampOf(target), *read);
      if (written && !changed && PlaceFile(temp, target, &wait)) return true;
      file.Close();
      RemoveTemp(temp);
      created = false;
    }
    if (!changed) {
      inPlace = RewriteInPlace(target, wait, read);
      if (inPlace == TInPlace::kWritten) return true;
      changed = inPlace == TInPlace::kChanged;
    }
  } catch (const std::exception&) {
  }
  // The host must not read its own selection back as if it were the reply:
  // the file goes, or is emptied. Only a file that is gone for certain, or a
  // folder in its place, leaves nothing the host would take; a file that
  // cannot be looked at may still hold the selection. A file that is no
  // longer the one read is not ours to delete. With no memory left even for
  // a path's wide form, nothing more is tried, and the selection may be there.
  bool left = true;
  try {
    if (created) RemoveTemp(temp);
    const std::filesystem::path& file = target.empty() ? path : target;  // no memory even for the link's target
    if (!changed && inPlace == TInPlace::kEmptied) {
      RemoveFile(file, &wait);
      left = false;  // gone, or empty: the host adds nothing
    } else if (!changed) {
      changed = inPlace == TInPlace::kUntouched && read && !SameFile(StampOf(file), *read);
      if (!changed && RemoveFile(file, &wait)) {
        left = false;
      } else if (!changed) {
        const TFileStamp::TKind now = StampOf(file).Kind;
        left = now != TFileStamp::kMissing && now != TFileStamp::kOther;
      }
    }
  } catch (const std::exception&) {
  }
  if (hostFileLeft) *hostFileLeft = left;
  return false;
}

void RemoveStaleTemps(const std::filesystem::path& exchangeFile) {
  try {
    const std::filesystem::path folder = exchangeFile.parent_path();
    std::filesystem::path prefix = exchangeFile.filename();
    prefix += ".";
    const std::filesystem::path suffix = kTempSuffix;
    // Ours alone: the process's number and the attempt's between the two.
    const auto ours = [&](const std::filesystem::path::string_type& name) {
      const size_t begin = prefix.native().size(), end = name.size() - suffix.native().size();
      size_t dashes = 0, digits = 0;
      for (size_t i = begin; i < end; ++i) {
        if (name[i] == '-' && digits > 0 && dashes == 0) {
          ++dashes;
          digits = 0;
        } else if (name[i] >= '0' && name[i] <= '9') {
          ++digits;
        } else {
          return false;
        }
      }
      return dashes == 1 && digits > 0;
    };
    for (const std::filesystem::path& name : FilesNamedLike(folder, prefix, suffix))
      if (ours(name.native())) RemoveFile(folder / name);
  } catch (const std::exception&) {  // left for the next run
  }
}
