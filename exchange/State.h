// The exchange state: everything one exchange with the host knows, with one
// instance for the process. Each default is written once, in the member
// initialisers of the groups below; GaibuInit and ResetOutAttrs assign fresh
// groups. The names a reader of the exchange format knows (CurLayer,
// LineCount, ...) are references into the groups and tables. Strings are
// Shift-JIS bytes, kept as bytes from file to file.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/GrowTable.h"
#include "exchange/OutLines.h"
#include "exchange/SjisText.h"

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

// The reader's attribute records whose first is still to come: that one sets
// the first-seen attribute as well as the current one.
struct TAttrPending {
  bool Lg = true, Ly = true, Lc = true, Lt = true, Lw = true, Cn = true;
};

// The writer's memory of the reply's attribute records: what it wrote last,
// and whether the next record of each kind must be written whatever its value.
struct TOutAttrs {
  int32_t LayerGroup = 0, Layer = 0, Pen = 1;
  bool LgPending = true, LyPending = true, PnPending = true;
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

// Header values: kept from the header records, read by nothing else.
struct THeaderValues {
  std::string DrawingFileName;
  double HkValue = 0.0;
  std::array<double, 16> GroupScales = [] {  // by layer group
    std::array<double, 16> a{};
    a.fill(1.0);
    return a;
  }();
  double SheetWidth = 1189.0, SheetHeight = 841.0;  // A0, mm
  std::array<TTextKind, 11> TextKinds{};             // text kind n (1..10) is element n
  bool BzSeen = false;
  std::array<double, 4> HnValues{};
};

// First-seen attributes: the first record of each kind in the file.
struct TFirstAttrs {
  int32_t LayerGroup = 0, Layer = 0, LineColor = 1, LineType = 1, LineWidth = 0;
  int32_t TextKind = 1;
  TTextSize TextSize;
  std::string FontName;
};

// The current attributes, as the attribute records set them while the file is
// read: each entity is stamped with them.
struct TCurAttrs {
  int32_t LayerGroup = 0, Layer = 0, LineColor = 1, LineType = 1, LineWidth = 0;
  int32_t TextKind = 1;
  double TextWidth = 2.0, TextHeight = 2.0, TextSpacing = 0.0;
  int32_t TextColor = 1, TextCc = 0;
  std::string FontName{kDefaultFontName};
  int32_t Pen = 1, LineColorExt = 0;
};

// What the reader carries from record to record.
struct TReadSequence {
  int32_t Hhp = 0;
  int32_t ZFlags = 0;  // "z1".."z5": bits 1, 2, 4, 8, 16, cleared by every entity
  int32_t PolylineGroupCount = 0;
  bool PolylineOpen = false;
  bool MsgPending = false;
  TLineRec PendingLine{{0, 0, 0, 1, 1, 0, 0}, 0, 0.0, 0.0, 1.0, 0.0};
};

extern THeaderValues HeaderValues;
extern TFirstAttrs FirstAttrs;
extern TCurAttrs CurAttrs;
extern TReadSequence ReadSequence;
extern TAttrPending AttrPending;
extern TOutAttrs OutAttrs;

inline constexpr std::string& DrawingFileName = HeaderValues.DrawingFileName;
inline constexpr double& HkValue = HeaderValues.HkValue;
inline constexpr std::array<double, 16>& GroupScales = HeaderValues.GroupScales;
inline constexpr double& SheetWidth = HeaderValues.SheetWidth;
inline constexpr double& SheetHeight = HeaderValues.SheetHeight;
inline constexpr std::array<TTextKind, 11>& TextKinds = HeaderValues.TextKinds;
inline constexpr bool& BzSeen = HeaderValues.BzSeen;
inline constexpr std::array<double, 4>& HnValues = HeaderValues.HnValues;

inline constexpr int32_t& FirstLayerGroup = FirstAttrs.LayerGroup;
inline constexpr int32_t& FirstLayer = FirstAttrs.Layer;
inline constexpr int32_t& FirstLineColor = FirstAttrs.LineColor;
inline constexpr int32_t& FirstLineType = FirstAttrs.LineType;
inline constexpr int32_t& FirstLineWidth = FirstAttrs.LineWidth;
inline constexpr int32_t& FirstTextKind = FirstAttrs.TextKind;
inline constexpr TTextSize& FirstTextSize = FirstAttrs.TextSize;
inline constexpr std::string& FirstFontName = FirstAttrs.FontName;

inline constexpr int32_t& CurLayerGroup = CurAttrs.LayerGroup;
inline constexpr int32_t& CurLayer = CurAttrs.Layer;
inline constexpr int32_t& CurLineColor = CurAttrs.LineColor;
inline constexpr int32_t& CurLineType = CurAttrs.LineType;
inline constexpr int32_t& CurLineWidth = CurAttrs.LineWidth;
inline constexpr int32_t& CurTextKind = CurAttrs.TextKind;
inline constexpr double& CurTextWidth = CurAttrs.TextWidth;
inline constexpr double& CurTextHeight = CurAttrs.TextHeight;
inline constexpr double& CurTextSpacing = CurAttrs.TextSpacing;
inline constexpr int32_t& CurTextColor = CurAttrs.TextColor;
inline constexpr int32_t& CurTextCc = CurAttrs.TextCc;
inline constexpr std::string& CurFontName = CurAttrs.FontName;
inline constexpr int32_t& CurPen = CurAttrs.Pen;
inline constexpr int32_t& CurLineColorExt = CurAttrs.LineColorExt;

inline constexpr int32_t& CurHhp = ReadSequence.Hhp;
inline constexpr int32_t& CurZFlags = ReadSequence.ZFlags;
inline constexpr int32_t& PolylineGroupCount = ReadSequence.PolylineGroupCount;
inline constexpr bool& PolylineOpen = ReadSequence.PolylineOpen;
inline constexpr bool& MsgPending = ReadSequence.MsgPending;
inline constexpr TLineRec& PendingLine = ReadSequence.PendingLine;

// Layer tables, sized by GaibuInit
inline constexpr size_t kLayerGroups = 16, kLayers = 16 * 16;
extern std::vector<std::string> LayerGroupNames;  // by layer group
extern std::vector<int32_t> LayerGroupValues;
extern std::vector<std::string> LayerNames;       // by group * 16 + layer
extern std::vector<int32_t> LayerValues;

// Designated points 1..99 (index 0 unused), sized by GaibuInit
inline constexpr size_t kDesignatedPoints = 100;
extern std::vector<TDesignatedPoint> DesignatedPoints;
extern int32_t DesignatedPointCount;

// Output records
extern TOutLines OutLines;
inline constexpr const int32_t& OutLineCount = OutLines.CountRef();

// Entity tables, each with its count
extern TGrowTable<TEntOrder> EntityOrder;
extern TGrowTable<TLineRec> Lines;
extern TGrowTable<TCircleRec> Circles;
extern TGrowTable<TArcRec> Arcs;
extern TGrowTable<TTextRec> Texts;
extern TGrowTable<TPointRec> Points;
extern TGrowTable<TPointExRec> PointsEx;
extern TGrowTable<TLineTextRec> LineTexts;
extern TGrowTable<TKdxEntBlk> Blocks;
extern TGrowTable<TSolid2Rec> Solids2;
extern TGrowTable<TSolid3Rec> Solids3;
extern TGrowTable<TSolid4Rec> Solids4;
extern TGrowTable<TSolidNumIntRec> SolidsSc;
extern TGrowTable<TSolidNumIntRec> SolidsSe;
extern TGrowTable<TSolidNum8Rec> SolidsSo;
extern TGrowTable<TSolidNum8Rec> SolidsSg;
inline constexpr const int32_t& EntityOrderCount = EntityOrder.CountRef();
inline constexpr const int32_t& LineCount = Lines.CountRef();
inline constexpr const int32_t& CircleCount = Circles.CountRef();
inline constexpr const int32_t& ArcCount = Arcs.CountRef();
inline constexpr const int32_t& TextCount = Texts.CountRef();
inline constexpr const int32_t& PointCount = Points.CountRef();
inline constexpr const int32_t& PointExCount = PointsEx.CountRef();
inline constexpr const int32_t& LineTextCount = LineTexts.CountRef();
inline constexpr const int32_t& BlockCount = Blocks.CountRef();
inline constexpr const int32_t& Solid2Count = Solids2.CountRef();
inline constexpr const int32_t& Solid3Count = Solids3.CountRef();
inline constexpr const int32_t& Solid4Count = Solids4.CountRef();
inline constexpr const int32_t& SolidScCount = SolidsSc.CountRef();
inline constexpr const int32_t& SolidSeCount = SolidsSe.CountRef();
inline constexpr const int32_t& SolidSoCount = SolidsSo.CountRef();
inline constexpr const int32_t& SolidSgCount = SolidsSg.CountRef();

// Every item above back to its default; may be called at any time.
void GaibuInit();
// Releases the tables; nothing may read them until GaibuInit runs again.
void GaibuFree();
