#include "engine/polygon/scan_beam.h"

#include <limits>

#include "engine/polygon/link.h"
#include "engine/polygon/node.h"

namespace {
constexpr double kLargest = std::numeric_limits<double>::max();
}

// ---------------------------------------------------------------- IScanBeam

IScanBeam::IScanBeam(Link *link) : Line(link) { CalculateLineParameters(); }

void IScanBeam::Set_Direction() {
  const Node *begin = _link->GetBeginNode();
  const Node *end = _link->GetEndNode();
  if (begin->GetX() == end->GetX())
    _dir = begin->GetY() > end->GetY() ? 1 : 0;
  else
    _dir = begin->GetX() < end->GetX() ? 1 : 0;
}

void IScanBeam::Calc_Ysp(Node *node) {
  const Node *begin = _link->GetBeginNode();
  const Node *end = _link->GetEndNode();
  if (node == begin || node == end || begin->GetX() == end->GetX())
    _ysp = node->GetY();
  else if (node->GetX() == end->GetX())
    _ysp = end->GetY();
  else if (node->GetX() == begin->GetX())
    _ysp = begin->GetY();
  else
    _ysp = Calculate_Y_from_X(node->GetX());
}

double IScanBeam::Slope() const {
  double dx = _link->GetEndNode()->GetX() - _link->GetBeginNode()->GetX();
  double dy = _link->GetEndNode()->GetY() - _link->GetBeginNode()->GetY();
  if (_dir == 0) {
    dx = -dx;
    dy = -dy;
  }
  if (dx == 0)
    return dy > 0 ? kLargest : -kLargest;
  return dy / dx;
}

bool IScanBeam::Touches(const Node *node) const {
  return _link->GetBeginNode() == node || _link->GetEndNode() == node;
}

int IScanBeam::Calc_Set_Left_Right(IScanBeam *above) {
  _a_count = above ? above->_a_count : 0;
  _b_count = above ? above->_b_count : 0;
  Link *link = _link;
  const bool groupB = link->_group;
  // With _dir 1 the region above the link is its left side; a region is
  // inside a group while that group's winding count is above 0.
  if (_dir == 1) {
    if (!groupB) {
      link->_a_left = _a_count > 0;
      _a_count += 1;
      link->_a_right = _a_count > 0;
      link->_b_left = link->_b_right = _b_count > 0;
    } else {
      link->_a_left = link->_a_right = _a_count > 0;
      link->_b_left = _b_count > 0;
      _b_count += 1;
      link->_b_right = _b_count > 0;
    }
  } else {
    if (!groupB) {
      link->_a_right = _a_count > 0;
      _a_count -= 1;
      link->_a_left = _a_count > 0;
      link->_b_left = link->_b_right = _b_count > 0;
    } else {
      link->_a_left = link->_a_right = _a_count > 0;
      link->_b_right = _b_count > 0;
      _b_count -= 1;
      link->_b_left = _b_count > 0;
    }
  }

  if (!above)
    return 0;
  Link *upper = above->_link;
  if (!upper->Joins(link->GetBeginNode(), link->GetEndNode()))
    return 0;
  // A double: the upper link stands for both and takes the region below
  // the pair from this one.
  link->_double = 1;
  above->_a_count = _a_count;
  above->_b_count = _b_count;
  const bool belowA = _dir == 1 ? link->_a_right : link->_a_left;
  const bool belowB = _dir == 1 ? link->_b_right : link->_b_left;
  if (above->_dir == 1) {
    upper->_a_right = belowA;
    upper->_b_right = belowB;
  } else {
    upper->_a_left = belowA;
    upper->_b_left = belowB;
  }
  return 1;
}

int BeamOrder(IScanBeam *a, IScanBeam *b) {
  if (a->_ysp > b->_ysp)
    return 1;
  if (a->_ysp < b->_ysp)
    return -1;
  const double sa = a->Slope();
  const double sb = b->Slope();
  return sa > sb ? 1 : (sa < sb ? -1 : 0);
}

int CrossOrder(IScanBeam *a, IScanBeam *b) {
  if (a->_ysp > b->_ysp)
    return 1;
  if (a->_ysp < b->_ysp)
    return -1;
  const double sa = a->Slope();
  const double sb = b->Slope();
  return sa < sb ? 1 : (sa > sb ? -1 : 0);
}

// ---------------------------------------------------------------- ScanBeam

ScanBeam::ScanBeam() : _BI(this) {}

ScanBeam::~ScanBeam() noexcept(false) {
  if (_BI.attached()) {
    _BI.tohead();
    while (!_BI.hitroot())
      DropRecordAtBI();
    _BI.Attach();
  }
  RecordBlockCache::CacheFlush();
  for (Node *node : _newnodes)
    if (node->GetLinkList()->empty())
      delete node;
}

void ScanBeam::DropRecordAtBI() {
  IScanBeam *record = _BI.item();
  _BI.remove();
  delete record;
}

void ScanBeam::SetSameX(Node *next) { _same_x = next->GetX() <= _low->GetX() ? 1 : 0; }

void ScanBeam::CalcAllYsp() {
  DL_Iter<IScanBeam *> iter(this);
  while (iter.iterate())
    iter.item()->Calc_Ysp(_low);
}

void ScanBeam::SortByY() { _BI.mergesort(BeamOrder); }

bool ScanBeam::InOrder() {
  DL_Iter<IScanBeam *> iter(this);
  iter.tohead();
  if (iter.hitroot())
    return true;
  IScanBeam *previous = iter.item();
  while (iter.iterate()) {
    if (BeamOrder(previous, iter.item()) == -1)
      return false;
    previous = iter.item();
  }
  return true;
}

void ScanBeam::ToFirstBelow(double y) {
  _BI.tohead();
  while (!_BI.hitroot() && !(_BI.item()->_ysp < y))
    _BI++;
}

int ScanBeam::FindNew(ScanMode mode, DL_Iter<Link *> *graphIter) {
  _low = graphIter->item()->GetBeginNode();
  int result = 0;
  while (Link *link = _low->SteepestLink(0)) {
    if (link->IsVertical() && mode != ScanMode::GROUP_FLAGS) {
      if (mode == ScanMode::NODE_TO_LINK) {
        // Vertical links only look for nodes on them; they never stay.
        IScanBeam *record = new IScanBeam(link);
        record->_ysp = _low->GetY();
        record->Set_Direction();
        _BI.insbefore(record);
        _BI--;
        NodeToLink();
        DropRecordAtBI();
      } else if (mode == ScanMode::LINK_CROSSINGS) {
        Line vertical(link);
        VerticalCrossings(&vertical);
        vertical.ProcessCrossings(graphIter);
      }
    } else {
      IScanBeam *record = new IScanBeam(link);
      record->_ysp = _low->GetY();
      record->Set_Direction();
      _BI.insbefore(record);
      switch (mode) {
      case ScanMode::NODE_TO_LINK:
        _BI--;
        NodeToLink();
        _BI++;
        break;
      case ScanMode::LINK_CROSSINGS:
        break;
      case ScanMode::GROUP_FLAGS: {
        _BI--;
        _BI--;
        IScanBeam *above = _BI.hitroot() ? nullptr : _BI.item();
        _BI++;
        if (record->Calc_Set_Left_Right(above))
          DropRecordAtBI();
        else
          _BI++;
        break;
      }
      case ScanMode::HOLE_LINKING:
        _BI--;
        if (ProcessHoles(1, graphIter))
          result = 1;
        _BI++;
        break;
      }
    }
    link->_mark = 1;
  }
  return result;
}

int ScanBeam::RemoveOld(ScanMode mode, DL_Iter<Link *> *graphIter) {
  Node *node = graphIter->item()->GetBeginNode();
  _low = node;
  int result = 0;
  const bool hasBeamLinks = node->SteepestLink(1) != nullptr;
  const double y = node->GetY();

  if (mode == ScanMode::NODE_TO_LINK || mode == ScanMode::LINK_CROSSINGS) {
    if (!_same_x) {
      CalcAllYsp();
      if (mode == ScanMode::LINK_CROSSINGS)
        CocktailSort();
      else
        SortByY();
    }
    if (!hasBeamLinks) {
      ToFirstBelow(y);
      return 0;
    }
    _BI.tohead();
    while (!_BI.hitroot()) {
      IScanBeam *record = _BI.item();
      if (record->Touches(node)) {
        if (mode == ScanMode::NODE_TO_LINK)
          NodeToLink();
        record->ProcessCrossings(graphIter);
        DropRecordAtBI();
        continue;
      }
      if (y > record->_ysp)
        break;
      _BI++;
    }
    return 0;
  }

  // Group flags and hole linking: no crossings remain, so the order holds.
  auto leave = [&](IScanBeam *) {
    if (mode == ScanMode::HOLE_LINKING && ProcessHoles(0, graphIter))
      result = 1;
    DropRecordAtBI();
  };

  if (!_same_x && hasBeamLinks) {
    IScanBeam *insertionPoint = nullptr;
    bool removed = false;
    bool strayTouching = false;
    _BI.tohead();
    while (!_BI.hitroot()) {
      IScanBeam *record = _BI.item();
      if (record->Touches(node)) {
        strayTouching = strayTouching || insertionPoint != nullptr;
        leave(record);
        removed = true;
        continue;
      }
      record->Calc_Ysp(node);
      if (removed && !insertionPoint)
        insertionPoint = record;
      _BI++;
    }
    if (strayTouching && !InOrder()) {
      // The links at the node were not neighbours in the beam: put the
      // beam in order again and insert by height.
      SortByY();
      ToFirstBelow(y);
    } else if (insertionPoint) {
      _BI.toitem(insertionPoint);
    } else {
      _BI.toroot();
    }
  } else if (!_same_x) {
    CalcAllYsp();
    ToFirstBelow(y);
  } else if (hasBeamLinks) {
    bool removed = false;
    _BI.tohead();
    while (!_BI.hitroot()) {
      IScanBeam *record = _BI.item();
      if (record->Touches(node)) {
        leave(record);
        removed = true;
        continue;
      }
      if (removed || y > record->_ysp)
        break;
      _BI++;
    }
  } else {
    ToFirstBelow(y);
  }
  return result;
}
