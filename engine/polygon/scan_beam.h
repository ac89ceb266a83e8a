// The sweep of the Boolean engine: a vertical beam moving left to right
// over the graph's nodes, holding one record per link it cuts, ordered top
// to bottom. One sweep serves one job (ScanMode).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/polygon/dl_list.h"
#include "engine/polygon/graph.h"
#include "engine/polygon/line.h"
#include "engine/polygon/record_block_cache.h"

class Link;
class Node;

class IScanBeam : public Line {
public:
  // Computes the line parameters at once ("length = 0" for a zero-length
  // link); the caller sets _ysp.
  explicit IScanBeam(Link *link);

  // Records come and go with every link of a sweep; their memory is reused.
  static void *operator new(std::size_t size) { return RecordBlockCache::CacheAllocate(size); }
  static void operator delete(void *block, std::size_t size) {
    RecordBlockCache::CacheRelease(block, size);
  }

  void Set_Direction();
  void Calc_Ysp(Node *node);
  // Sets the inside flags of the link from the winding counts of the
  // record above (null at the top); 1 when the link doubles that one's.
  int Calc_Set_Left_Right(IScanBeam *above);
  // dy/dx of the link taken in the record's direction; verticals rank as
  // steepest downwards.
  double Slope() const;
  bool Touches(const Node *node) const;

  double _ysp = 0.0;
  int _dir = 1;
  int32_t _a_count = 0;
  int32_t _b_count = 0;
};

// Beam order: larger _ysp first, then the larger slope.
int BeamOrder(IScanBeam *a, IScanBeam *b);
// Crossing order: larger _ysp first, then the smaller slope.
int CrossOrder(IScanBeam *a, IScanBeam *b);

class ScanBeam : public DL_List<IScanBeam *> {
public:
  ScanBeam();
  ~ScanBeam() noexcept(false);

  int FindNew(ScanMode mode, DL_Iter<Link *> *graphIter);
  void SetSameX(Node *next);
  int RemoveOld(ScanMode mode, DL_Iter<Link *> *graphIter);
  void CalcAllYsp();
  void SortByY();
  bool InOrder();

  // Node-to-link and crossing passes.
  int NodeToLink();
  int VerticalCrossings(Line *vertical);
  void CocktailSort();
  // Hole linking.
  int ProcessHoles(int fromFindNew, DL_Iter<Link *> *graphIter);

  Node *GetLow() const { return _low; }

private:
  void IntersectSwapped(IScanBeam *a, IScanBeam *b);
  // _BI onto the first record, from the top, lying below y (root if none).
  void ToFirstBelow(double y);
  void DropRecordAtBI();

  Node *_low = nullptr;
  DL_Iter<IScanBeam *> _BI;
  int32_t _same_x = 0;
  // Crossing nodes this beam made: any that is still without links when
  // the sweep ends (an error cut it short) is freed with the beam.
  std::vector<Node *> _newnodes;
};
