#include "base/ReplaceFile.h"

#include <limits>
#include <string>

bool TContentSink::Flush() {
  if (!file_) return true;
  const bool ok = file_->Write(buf_.data(), buf_.size());
  buf_.clear();
  return ok;
}

namespace {

constexpr size_t kBlock = 1 << 20;

// Our own temporary file goes in any case; a hold on it (a scanner looking at
// the fresh file) is waited out for a moment even when the time for the
// file itself is up.
void RemoveTemp(const std::filesystem::path& temp) {
  TLockWait wait(std::chrono::seconds(1));
  RemoveFile(temp, &wait);
}

// The temporary files are named after the file, the process and the
// attempt: QZT_TEMP.TXT.1234-0.tmp.
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
  kWritten,    // the new content is in it
  kEmptied,    // the content could not be written, and the file is empty
  kPartial,    // part of the content, which could not be taken back
};

// Rewrites the file where it stands, for a folder where no new file can be
// made. The content is made whole first and goes in with one write, so that a
// program stopped meanwhile leaves the file as it was, empty, or at worst
// short by what that one write had not yet put in.
TInPlace RewriteInPlace(const std::filesystem::path& path, const TContentWriter& content, TLockWait& wait,
                        const TFileStamp* read) {
  TContentSink whole(nullptr, std::numeric_limits<size_t>::max());
  if (!content(whole)) return TInPlace::kUntouched;
  const std::string& bytes = whole.Kept();
  TFileWriter file(&wait);
  const bool wasMissing = read && read->Kind == TFileStamp::kMissing;
  if (!(wasMissing ? file.Create(path, true) : file.OpenExisting(path) || (!read && file.Create(path, true))))
    return TInPlace::kUntouched;
  if (read && !wasMissing && !SameFile(file.Stamp(), *read)) return TInPlace::kChanged;
  if (!file.Truncate()) return TInPlace::kUntouched;
  if (file.Write(bytes.data(), bytes.size()) && file.Flush() && file.Close()) return TInPlace::kWritten;
  return file.Truncate() && file.Flush() ? TInPlace::kEmptied : TInPlace::kPartial;
}

}  // namespace

bool ReplaceFileWith(const std::filesystem::path& path, const TContentWriter& content, bool* oldLeft,
                     const TFileStamp* read) {
  if (oldLeft) *oldLeft = false;
  if (path.empty()) return false;  // names no file: nothing is written where the program stands
  // Other programs' holds on the files are waited out, but not for longer
  // than this in all.
  TLockWait wait;
  std::filesystem::path target, temp;
  bool created = false;
  bool changed = false;  // not the file that was read: nothing is done to it
  TInPlace inPlace = TInPlace::kUntouched;
  try {
    target = LinkTarget(path);  // a link stays, and what it leads to is replaced
    changed = read && !SameFile(StampOf(target), *read);
    // The content goes to a new file beside the file first, which then
    // takes its place, so that nobody reads half of it; it is
    // on the disk before, so that a crash after the exit leaves the one or
    // the other.
    TFileWriter file(&wait);
    for (int attempt = 0; attempt < 100 && !changed && !created; ++attempt) {
      temp = TempName(target, attempt);
      created = file.Create(temp, true);
    }
    if (created) {
      TContentSink out(&file, kBlock);
      const bool written = content(out) && out.Flush() && file.Flush() && file.Close();
      changed = read && !SameFile(StampOf(target), *read);
      if (written && !changed && PlaceFile(temp, target, &wait)) return true;
      file.Close();
      RemoveTemp(temp);
      created = false;
    }
    if (!changed) {
      inPlace = RewriteInPlace(target, content, wait, read);
      if (inPlace == TInPlace::kWritten) return true;
      changed = inPlace == TInPlace::kChanged;
    }
  } catch (const std::exception&) {
  }
  // The old content must not be read back as if it were the new: the file
  // goes, or is emptied. Only a file that is gone for certain, or a folder in
  // its place, leaves nothing to be taken; a file that cannot be looked at
  // may still hold the old content. A file that is no longer the one read is
  // not ours to delete. With no memory left even for a path's wide form,
  // nothing more is tried, and the old content may be there.
  bool left = true;
  try {
    if (created) RemoveTemp(temp);
    const std::filesystem::path& file = target.empty() ? path : target;  // no memory even for the link's target
    if (!changed && inPlace == TInPlace::kEmptied) {
      RemoveFile(file, &wait);
      left = false;  // gone, or empty: nothing of the old is left
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
  if (oldLeft) *oldLeft = left;
  return false;
}

void RemoveStaleTemps(const std::filesystem::path& file) {
  try {
    const std::filesystem::path folder = file.parent_path();
    std::filesystem::path prefix = file.filename();
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
