#include "exchange/Writer.h"

#include <string>

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

// The records as lines with CR LF. A record ending in a double quote (the
// opening quote of a text) is joined with the record after it into one
// line, which the reader takes back as one token.
bool EmitReply(TContentSink& out) {
  if (OutLineCount == 0) return out.Put("hq\r\n");
  for (int32_t i = 0; i < OutLineCount; ++i) {
    const std::string_view rec = OutLines[i];
    if (!out.Put(rec)) return false;
    if (!rec.empty() && rec.back() == '"') {
      if (i + 1 == OutLineCount) break;
      if (!out.Put(OutLines[++i])) return false;
    }
    if (!out.Put("\r\n")) return false;
  }
  return true;
}

}  // namespace

bool SaveExchangeFile(const std::filesystem::path& path, bool* hostFileLeft, const TFileStamp* read) {
  return ReplaceFileWith(path, EmitReply, hostFileLeft, read);
}
