#include "exchange/KdxGaibu.h"
#include "exchange/SjisText.h"

std::string DrawingFileName;
double HkValue;
std::array<double, 16> GroupScales;
double SheetWidth, SheetHeight;
std::array<TTextKind, 11> TextKinds;
bool BzSeen;
std::array<double, 4> HnValues;

std::vector<std::string> LayerGroupNames;
std::vector<int32_t> LayerGroupValues;
std::vector<std::string> LayerNames;
std::vector<int32_t> LayerValues;

std::vector<TDesignatedPoint> DesignatedPoints;
int32_t DesignatedPointCount;

int32_t FirstLayerGroup, FirstLayer, FirstLineColor = 1, FirstLineType = 1, FirstLineWidth;
int32_t FirstTextKind = 1;
TTextSize FirstTextSize;
std::string FirstFontName;

int32_t CurHhp, CurLayerGroup, CurLayer, CurLineColor = 1, CurLineType = 1, CurLineWidth;
int32_t CurZFlags;
int32_t CurTextKind = 1;
double CurTextWidth = 2.0, CurTextHeight = 2.0, CurTextSpacing;
int32_t CurTextColor = 1, CurTextCc;
std::string CurFontName;
int32_t CurPen = 1, CurLineColorExt;

TAttrPending AttrPending;

int32_t PolylineGroupCount;
bool PolylineOpen;
bool MsgPending;
TLineRec PendingLine;

TOutLines OutLines;
int32_t OutLineCount;

TGrowTable<TEntOrder> EntityOrder;
int32_t EntityOrderCount;
TGrowTable<TLineRec> Lines;
int32_t LineCount;
TGrowTable<TCircleRec> Circles;
int32_t CircleCount;
TGrowTable<TArcRec> Arcs;
int32_t ArcCount;
TGrowTable<TTextRec> Texts;
int32_t TextCount;
TGrowTable<TPointRec> Points;
int32_t PointCount;
TGrowTable<TPointExRec> PointsEx;
int32_t PointExCount;
TGrowTable<TLineTextRec> LineTexts;
int32_t LineTextCount;
TGrowTable<TKdxEntBlk> Blocks;
int32_t BlockCount;
TGrowTable<TSolid2Rec> Solids2;
int32_t Solid2Count;
TGrowTable<TSolid3Rec> Solids3;
int32_t Solid3Count;
TGrowTable<TSolid4Rec> Solids4;
int32_t Solid4Count;
TGrowTable<TSolidNumIntRec> SolidsSc;
int32_t SolidScCount;
TGrowTable<TSolidNumIntRec> SolidsSe;
int32_t SolidSeCount;
TGrowTable<TSolidNum8Rec> SolidsSo;
int32_t SolidSoCount;
TGrowTable<TSolidNum8Rec> SolidsSg;
int32_t SolidSgCount;

namespace {

template <class T>
void Resize(std::vector<T>& table, size_t n) {
  std::vector<T>(n).swap(table);
}

template <class T>
void Release(std::vector<T>& table) {
  std::vector<T>().swap(table);
}

template <class F>
void ForEachEntityTable(F f) {
  f(EntityOrder, EntityOrderCount);
  f(Lines, LineCount);
  f(Circles, CircleCount);
  f(Arcs, ArcCount);
  f(Texts, TextCount);
  f(Points, PointCount);
  f(PointsEx, PointExCount);
  f(LineTexts, LineTextCount);
  f(Blocks, BlockCount);
  f(Solids2, Solid2Count);
  f(Solids3, Solid3Count);
  f(Solids4, Solid4Count);
  f(SolidsSc, SolidScCount);
  f(SolidsSe, SolidSeCount);
  f(SolidsSo, SolidSoCount);
  f(SolidsSg, SolidSgCount);
}

}  // namespace

void GaibuInit() {
  DrawingFileName.clear();
  HkValue = 0.0;
  GroupScales.fill(1.0);
  SheetWidth = 1189.0;  // A0, mm
  SheetHeight = 841.0;
  HnValues.fill(0.0);
  BzSeen = false;
  TextKinds.fill(TTextKind{});

  FirstLayerGroup = 0;
  FirstLayer = 0;
  FirstLineColor = 1;
  FirstLineType = 1;
  FirstLineWidth = 0;
  FirstTextKind = 1;
  FirstTextSize = TTextSize{};
  FirstFontName.clear();

  Resize(LayerGroupNames, 16);
  Resize(LayerGroupValues, 16);
  Resize(LayerNames, 256);
  Resize(LayerValues, 256);
  Resize(DesignatedPoints, 100);
  DesignatedPointCount = 0;

  // The current attributes start where the writer's memory is reset to; the
  // pn flag is the writer's, not the reader's, and keeps its value.
  const bool pn = AttrPending.Pn;
  ResetOutAttrs();
  AttrPending.Pn = pn;
  CurHhp = 0;
  CurZFlags = 0;
  PolylineGroupCount = 0;
  PolylineOpen = false;
  MsgPending = false;

  PendingLine = TLineRec{{0, 0, 0, 1, 1, 0, 0}, 0, 0.0, 0.0, 1.0, 0.0};

  ForEachEntityTable([](auto& table, int32_t& count) {
    table.Clear();
    count = 0;
  });
  OutLines.Clear();
  OutLineCount = 0;
}

void GaibuFree() {
  Release(LayerGroupNames);
  Release(LayerGroupValues);
  Release(LayerNames);
  Release(LayerValues);
  Release(DesignatedPoints);
  ForEachEntityTable([](auto& table, int32_t&) { table.Clear(); });
  OutLines.Clear();
}
