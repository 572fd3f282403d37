// KdxGaibu: everything one exchange with the host knows. The host writes its
// selection and drawing settings into the exchange file, the reader fills the
// state below from it, the division run appends reply records, and the writer
// rewrites the file with them. Process-wide state with one instance; strings
// are Shift-JIS bytes, kept as bytes from file to file.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "GrowTable.h"
#include "OutLines.h"

// ---- records ------------------------------------------------------------------

struct TTextKind {
  double Width = 3.0, Height = 3.0, Spacing = 0.0;
  int32_t Color = 2;
};

struct TDesignatedPoint {
  bool Present = false;
  double X = 0, Y = 0;
  int32_t Kind = 0;  // suffix of the "hp" record: 0 none, 1 "-", 2 "ln", 3 "ci", 4 "ch"
};

struct TTextSize {
  double Width = 2.0, Height = 2.0, Spacing = 0.0;
  int32_t Color = 1;
};

// Which attribute records are still pending: while reading, the first of its
// kind is still to come; while writing, the next must be written regardless.
struct TAttrPending {
  bool Lg = false, Ly = false, Lc = false, Lt = false, Lw = false, Cn = false, Pn = false;
};

// The attribute header at the head of every entity record.
struct TEntAttr {
  int32_t Hhp, LayerGroup, Layer, Color, LineType, LineWidth, ZFlags;
};

struct TEntOrder {
  int32_t Kind, Index;
};

struct TLineRec {
  TEntAttr Attr;
  int32_t PolylineNo;
  double X1, Y1, X2, Y2;
};

struct TCircleRec {
  TEntAttr Attr;
  double CX, CY, R;
};

// A piece of an ellipse, counter-clockwise from StartAngle to EndAngle
// (eccentric angles, degrees); semi-axes R and R * Flatness, turned by Tilt.
struct TArcRec {
  TEntAttr Attr;
  double CX, CY, R, StartAngle, EndAngle, Flatness, Tilt;
};

// Inline text fields hold at most 255 bytes.
constexpr size_t kShortTextMax = 255;

struct TTextRec {
  TEntAttr Attr;
  int32_t TextType, Cc, TextKind;
  double Width, Height, Spacing;
  double Values[4];
  std::string FontName;
  std::string Text;
};

struct TLineTextRec {
  TEntAttr Attr;
  TLineRec Line;
  TTextRec Text;
};

struct TPointRec {
  TEntAttr Attr;
  double X, Y;
};

struct TPointExRec {
  TEntAttr Attr;
  double X, Y, Value1, Value2;
  int32_t Value3;
};

struct TKdxEntBlk {
  TEntAttr Attr;
  double X, Y;
  std::string BlockName;
};

struct TSolid2Rec {
  TEntAttr Attr;
  int32_t ExtColor;
  double X1, Y1, X2, Y2;
};

struct TSolid3Rec {
  TEntAttr Attr;
  int32_t ExtColor;
  double X1, Y1, X2, Y2, X3, Y3;
};

struct TSolid4Rec {
  TEntAttr Attr;
  int32_t ExtColor;
  double X1, Y1, X2, Y2, X3, Y3, X4, Y4;
};

struct TSolidNumIntRec {
  TEntAttr Attr;
  int32_t ExtColor;
  double Values[7];
  int32_t IntValue;
};

struct TSolidNum8Rec {
  TEntAttr Attr;
  int32_t ExtColor;
  double Values[8];
};

// Entity kind codes, also what EntityOrder stores.
enum : int32_t {
  kKindLine = 1, kKindCircle, kKindArc, kKindText, kKindPoint, kKindPointEx, kKindLineText,
  kKindBlock, kKindSolid2, kKindSolid3, kKindSolid4, kKindSolidSc, kKindSolidSe,
  kKindSolidSo, kKindSolidSg
};

// ---- state ------------------------------------------------------------------------

// Header values
extern std::string DrawingFileName;
extern double HkValue;
extern std::array<double, 16> GroupScales;
extern double SheetWidth, SheetHeight;
extern std::array<TTextKind, 11> TextKinds;  // text kind n (1..10) is element n
extern bool BzSeen;
extern std::array<double, 4> HnValues;

// Layer tables, sized by GaibuInit
extern std::vector<std::string> LayerGroupNames;  // 16, by layer group
extern std::vector<int32_t> LayerGroupValues;     // 16
extern std::vector<std::string> LayerNames;       // 256, by group * 16 + layer
extern std::vector<int32_t> LayerValues;          // 256

// Designated points 1..99 (index 0 unused)
extern std::vector<TDesignatedPoint> DesignatedPoints;
extern int32_t DesignatedPointCount;

// First-seen attributes: the first record of each kind in the file
extern int32_t FirstLayerGroup, FirstLayer, FirstLineColor, FirstLineType, FirstLineWidth;
extern int32_t FirstTextKind;
extern TTextSize FirstTextSize;
extern std::string FirstFontName;

// Current attributes; CurLayerGroup, CurLayer and CurPen also remember what the
// writer last wrote
extern int32_t CurHhp, CurLayerGroup, CurLayer, CurLineColor, CurLineType, CurLineWidth;
extern int32_t CurZFlags;
extern int32_t CurTextKind;
extern double CurTextWidth, CurTextHeight, CurTextSpacing;
extern int32_t CurTextColor, CurTextCc;
extern std::string CurFontName;
extern int32_t CurPen, CurLineColorExt;

extern TAttrPending AttrPending;

// Record sequencing
extern int32_t PolylineGroupCount;
extern bool PolylineOpen;
extern bool MsgPending;
extern TLineRec PendingLine;

// Output records
extern TOutLines OutLines;
extern int32_t OutLineCount;

// Entity tables
extern TGrowTable<TEntOrder> EntityOrder;
extern int32_t EntityOrderCount;
extern TGrowTable<TLineRec> Lines;
extern int32_t LineCount;
extern TGrowTable<TCircleRec> Circles;
extern int32_t CircleCount;
extern TGrowTable<TArcRec> Arcs;
extern int32_t ArcCount;
extern TGrowTable<TTextRec> Texts;
extern int32_t TextCount;
extern TGrowTable<TPointRec> Points;
extern int32_t PointCount;
extern TGrowTable<TPointExRec> PointsEx;
extern int32_t PointExCount;
extern TGrowTable<TLineTextRec> LineTexts;
extern int32_t LineTextCount;
extern TGrowTable<TKdxEntBlk> Blocks;
extern int32_t BlockCount;
extern TGrowTable<TSolid2Rec> Solids2;
extern int32_t Solid2Count;
extern TGrowTable<TSolid3Rec> Solids3;
extern int32_t Solid3Count;
extern TGrowTable<TSolid4Rec> Solids4;
extern int32_t Solid4Count;
extern TGrowTable<TSolidNumIntRec> SolidsSc;
extern int32_t SolidScCount;
extern TGrowTable<TSolidNumIntRec> SolidsSe;
extern int32_t SolidSeCount;
extern TGrowTable<TSolidNum8Rec> SolidsSo;
extern int32_t SolidSoCount;
extern TGrowTable<TSolidNum8Rec> SolidsSg;
extern int32_t SolidSgCount;

// ---- operations -------------------------------------------------------------------

// Every item above back to its default; may be called at any time.
void GaibuInit();
// Releases the tables; nothing may read them until GaibuInit runs again.
void GaibuFree();

// Reads the exchange file line by line into the state. False when it does not
// exist or could not be read to its end; what was read before stays.
bool LoadExchangeFile(const std::filesystem::path& path);
// One line of the exchange file, without its line end.
void ParseLine(std::string_view line);

// Entity tables
void CopyCurAttrs(TEntAttr& attr);
void AppendEntityOrder(int32_t kind, int32_t index);
template <class T>
T& AppendEntity(int32_t kind, TGrowTable<T>& table, int32_t& count) {
  AppendEntityOrder(kind, count);
  return AppendTo(table, count);
}

// Reply records
void AddOutLine(std::string_view text);
void OutComment(std::string_view text);
void OutLayerGroup(int32_t group);
void OutLayer(int32_t layer);
void OutPen(int32_t pen, int32_t mode);  // mode 1 maps the pen with PenToHost
int32_t PenToHost(int32_t pen);
void OutPoint(double x, double y);
void ResetOutAttrs();
// Replaces the exchange file with the reply ("hq" alone when there is none),
// waiting a few seconds at most for other programs that hold the file. On
// failure no temporary file remains, and the exchange file is deleted; where
// even that fails, `hostFileLeft` is set: the host's selection is still there.
bool SaveExchangeFile(const std::filesystem::path& path, bool* hostFileLeft = nullptr);
