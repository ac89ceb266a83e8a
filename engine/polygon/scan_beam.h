// The sweep of the Boolean engine: a vertical beam moving left to right
// over the graph's nodes, holding one record per link it cuts, ordered top
// to bottom. One sweep serves one job (ScanMode).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/polygon/beam_index.h"
#include "engine/polygon/dl_list.h"
#include "engine/polygon/graph.h"
#include "engine/polygon/line.h"
#include "engine/polygon/node.h"
#include "engine/polygon/object_pool.h"

class Link;
class Node;

// Records come and go with every link of a sweep: a pool of their own
// reuses their memory and keeps them close together.
class IScanBeam : public Line, public Pooled<IScanBeam> {
public:
    // Computes the line parameters at once ("length = 0" for a zero-length
    // link); the caller sets _ysp.
    explicit IScanBeam(Link *link);

    void Set_Direction();
    void Calc_Ysp(Node *node) { Calc_Ysp_At(node, node->GetX(), node->GetY()); }
    // The same for a node given by identity and place (it may be gone since).
    void Calc_Ysp_At(const Node *node, double x, double y);
    // Sets the inside flags of the link from the winding counts of the
    // record above (null at the top); 1 when the link doubles that one's.
    int Calc_Set_Left_Right(IScanBeam *above);
    // dy/dx of the link taken in the record's direction; verticals rank as
    // steepest downwards.
    double Slope() const;
    bool Touches(const Node *node) const;

    // The same three on the ends the link had when the record came. The
    // node-to-link and crossing sweeps never move the ends of a link while its
    // record is in the beam (a link is split only as its record leaves), and
    // the flag sweep changes only flags, so there these read the copies
    // instead of following the link to its nodes. Hole linking does move them
    // and keeps to the link.
    void Calc_Ysp_Fixed(const Node *node, double x, double y) { _ysp = YspFixedAt(node, x, y); }
    double YspFixedAt(const Node *node, double x, double y) const
    {
        if (node == _begin || node == _end || _bx == _ex)
            return y;
        if (x == _ex)
            return _ey;
        if (x == _bx)
            return _by;
        if (_a == 0)
            return _by;
        return -(x * _a + _c) / _b + 0.5;
    }
    // The x where the link leaves the beam.
    double RightX() const { return _bx > _ex ? _bx : _ex; }
    // A bound of the rounding error of YspFixedAt at x (generous: it only
    // widens the look-ahead of the sweep).
    double YspNoise(double x) const;
    double SlopeFixed() const { return _slope; }
    bool TouchesFixed(const Node *node) const { return _begin == node || _end == node; }

    double _ysp = 0.0;
    // The sweep step for which _ysp holds (see ScanBeam::Ysp).
    uint64_t _ysp_step = 0;
    // This record's place in the beam.
    DL_Node<IScanBeam *> *_handle = nullptr;
    // Its place in the beam's search index.
    BeamIndex::Slot *_slot = nullptr;
    // Counts the changes of the record below this one: a look-ahead check
    // taken for an older neighbour is stale.
    uint32_t _pair_version = 0;
    // Checks of the sweep that still name this record; a record that left
    // the beam lives on until the last of them is taken.
    uint32_t _checks = 0;
    bool _gone = false;
    int _dir = 1;
    int32_t _a_count = 0;
    int32_t _b_count = 0;

private:
    const Node *_begin;
    const Node *_end;
    double _bx, _by, _ex, _ey;
    // Slope() as of Set_Direction.
    double _slope = 0.0;
};

// Beam order: larger _ysp first, then the larger slope.
int BeamOrder(IScanBeam *a, IScanBeam *b);
// Crossing order: larger _ysp first, then the smaller slope.
int CrossOrder(IScanBeam *a, IScanBeam *b);
// BeamOrder on the fixed ends, for the node-to-link sweep.
int BeamOrderFixed(IScanBeam *a, IScanBeam *b);

class ScanBeam : public DL_List<IScanBeam *> {
public:
    explicit ScanBeam(ScanMode mode);
    ~ScanBeam() noexcept(false);

    int FindNew(ScanMode mode, DL_Iter<Link *> *graphIter);
    void SetSameX(Node *next);
    int RemoveOld(ScanMode mode, DL_Iter<Link *> *graphIter);
    void SortByY();
    bool InOrder();

    // Node-to-link and crossing passes.
    int NodeToLink();
    int VerticalCrossings(Line *vertical);
    // Hole linking.
    int ProcessHoles(int fromFindNew, DL_Iter<Link *> *graphIter);

    Node *GetLow() const { return _low; }

private:
    // In the node-to-link and crossing sweeps links still cross, and the beam
    // order changes between steps. Instead of sorting the whole beam at each
    // step, every pair of neighbours is checked when it forms and then again
    // only from the x where the two could first change places (a bound worked
    // out from their lines); each pair found out of order at a step exchanges
    // places (the crossing sweep intersects it), and its new neighbours are
    // checked in turn. So every step ends with the beam in order at its x,
    // as a full sort would leave it, at the cost of the changes alone.
    struct PairCheck {
        double x;
        IScanBeam *upper;
        uint32_t version;
        bool operator>(const PairCheck &other) const { return x > other.x; }
    };
    // The pair of upper and the record below it is new: check it.
    void Watch(IScanBeam *upper);
    void CheckPair(const PairCheck &check);
    void Queue(std::vector<PairCheck> *queue, const PairCheck &check);
    // A check was taken from its queue: false when its record is gone.
    bool Taken(IScanBeam *upper);
    // Puts the beam in order at the new x.
    void Reorder();
    // upper and the record below it exchange places.
    void Exchange(IScanBeam *upper);
    // Whether lower belongs above upper at this step.
    bool OutOfOrder(IScanBeam *upper, IScanBeam *lower);
    void RebuildIndex();

    void IntersectSwapped(IScanBeam *a, IScanBeam *b);
    void InsertAtBI(IScanBeam *record);
    // A new x of the sweep: heights are worked out again, each when first
    // asked for (most records are never asked between two steps).
    void NewStep(Node *node);
    double Ysp(IScanBeam *record);
    void AllYsp();
    // Where every beam record at the node sits in one run, the records of
    // that run from the top (false when they are apart or there are none).
    bool TouchingRun(Node *node, std::vector<IScanBeam *> *run);
    // _BI onto the first record, from the top, lying below y (root if none).
    void ToFirstBelow(double y);
    void DropRecordAtBI();

    ScanMode _mode;
    // The node-to-link and crossing sweeps: links keep their ends while in
    // the beam, and the order is kept up by pair checks.
    bool _kinetic;
    // Every sweep but hole linking leaves the ends of the links in the beam
    // where they were when their records came: heights are worked out from
    // the records' copies of the ends, without following the links.
    bool _fixedEnds;
    BeamIndex _index;
    std::vector<PairCheck> _events; // a heap by x
    std::vector<PairCheck> _checkNow;
    std::vector<PairCheck> _checkNext;
    Node *_low = nullptr;
    DL_Iter<IScanBeam *> _BI;
    int32_t _same_x = 0;
    std::vector<IScanBeam *> _run;
    std::vector<Link *> _newLinks; // the links FindNew takes at its node
    uint64_t _step = 1;
    const Node *_step_node = nullptr;
    double _step_x = 0.0;
    double _step_y = 0.0;
    // Crossing nodes this beam made: any that is still without links when
    // the sweep ends (an error cut it short) is freed with the beam.
    std::vector<Node *> _newnodes;
};
