#include "exchange/State.h"

THeaderValues HeaderValues;
TFirstAttrs FirstAttrs;
TCurAttrs CurAttrs;
TReadSequence ReadSequence;
TAttrPending AttrPending;
TOutAttrs OutAttrs;

std::vector<std::string> LayerGroupNames;
std::vector<int32_t> LayerGroupValues;
std::vector<std::string> LayerNames;
std::vector<int32_t> LayerValues;

std::vector<TDesignatedPoint> DesignatedPoints;
int32_t DesignatedPointCount;

TOutLines OutLines;

TGrowTable<TEntOrder> EntityOrder;
TGrowTable<TLineRec> Lines;
TGrowTable<TCircleRec> Circles;
TGrowTable<TArcRec> Arcs;
TGrowTable<TTextRec> Texts;
TGrowTable<TPointRec> Points;
TGrowTable<TPointExRec> PointsEx;
TGrowTable<TLineTextRec> LineTexts;
TGrowTable<TKdxEntBlk> Blocks;
TGrowTable<TSolid2Rec> Solids2;
TGrowTable<TSolid3Rec> Solids3;
TGrowTable<TSolid4Rec> Solids4;
TGrowTable<TSolidNumIntRec> SolidsSc;
TGrowTable<TSolidNumIntRec> SolidsSe;
TGrowTable<TSolidNum8Rec> SolidsSo;
TGrowTable<TSolidNum8Rec> SolidsSg;

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
  f(EntityOrder);
  f(Lines);
  f(Circles);
  f(Arcs);
  f(Texts);
  f(Points);
  f(PointsEx);
  f(LineTexts);
  f(Blocks);
  f(Solids2);
  f(Solids3);
  f(Solids4);
  f(SolidsSc);
  f(SolidsSe);
  f(SolidsSo);
  f(SolidsSg);
}

}  // namespace

void GaibuInit() {
  HeaderValues = THeaderValues{};
  FirstAttrs = TFirstAttrs{};
  Resize(LayerGroupNames, kLayerGroups);
  Resize(LayerGroupValues, kLayerGroups);
  Resize(LayerNames, kLayers);
  Resize(LayerValues, kLayers);
  Resize(DesignatedPoints, kDesignatedPoints);
  DesignatedPointCount = 0;
  AttrPending = TAttrPending{};
  OutAttrs = TOutAttrs{};
  CurAttrs = TCurAttrs{};
  ReadSequence = TReadSequence{};
  ForEachEntityTable([](auto& table) { table.Clear(); });
  OutLines.Clear();
}

void GaibuFree() {
  Release(LayerGroupNames);
  Release(LayerGroupValues);
  Release(LayerNames);
  Release(LayerValues);
  Release(DesignatedPoints);
  ForEachEntityTable([](auto& table) { table.Clear(); });
  OutLines.Clear();
}
