#include "engine/polygon/scan_beam.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "engine/polygon/link.h"
#include "engine/polygon/node.h"

namespace {
constexpr double kLargest = std::numeric_limits<double>::max();
}

// ---------------------------------------------------------------- IScanBeam

IScanBeam::IScanBeam(Link *link)
    : Line(link), _begin(link->GetBeginNode()), _end(link->GetEndNode()), _bx(_begin->GetX()),
      _by(_begin->GetY()), _ex(_end->GetX()), _ey(_end->GetY())
{
    CalculateLineParameters();
}

void IScanBeam::Set_Direction()
{
    const Node *begin = _link->GetBeginNode();
    const Node *end = _link->GetEndNode();
    if (begin->GetX() == end->GetX())
        _dir = begin->GetY() > end->GetY() ? 1 : 0;
    else
        _dir = begin->GetX() < end->GetX() ? 1 : 0;
    _slope = Slope();
}

void IScanBeam::Calc_Ysp_At(const Node *node, double x, double y)
{
    const Node *begin = _link->GetBeginNode();
    const Node *end = _link->GetEndNode();
    if (node == begin || node == end || begin->GetX() == end->GetX())
        _ysp = y;
    else if (x == end->GetX())
        _ysp = end->GetY();
    else if (x == begin->GetX())
        _ysp = begin->GetY();
    else
        _ysp = Calculate_Y_from_X(x);
}

double IScanBeam::Slope() const
{
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

double IScanBeam::YspNoise(double x) const
{
    constexpr double kRelative = 1e-12;
    const double scale = std::fabs(_by) + std::fabs(_ey);
    if (_b == 0)
        return kRelative * scale;
    return kRelative * (scale + (std::fabs(x * _a) + std::fabs(_c)) / std::fabs(_b));
}

bool IScanBeam::Touches(const Node *node) const
{
    return _link->GetBeginNode() == node || _link->GetEndNode() == node;
}

int IScanBeam::Calc_Set_Left_Right(IScanBeam *above)
{
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

namespace {

// Records by their height at the beam's x, then by slope (the slope only
// when the heights are equal: the sorts call this often).
template <double (IScanBeam::*Slope)() const, bool Reversed>
int byHeightThenSlope(const IScanBeam *a, const IScanBeam *b)
{
    if (a->_ysp > b->_ysp)
        return 1;
    if (a->_ysp < b->_ysp)
        return -1;
    const double sa = (a->*Slope)();
    const double sb = (b->*Slope)();
    const int order = sa > sb ? 1 : (sa < sb ? -1 : 0);
    return Reversed ? -order : order;
}

} // namespace

int BeamOrder(IScanBeam *a, IScanBeam *b) { return byHeightThenSlope<&IScanBeam::Slope, false>(a, b); }

int BeamOrderFixed(IScanBeam *a, IScanBeam *b)
{
    return byHeightThenSlope<&IScanBeam::SlopeFixed, false>(a, b);
}

// Only the crossing sweep sorts by this: the ends are fixed there. Equal
// heights order by the opposite slope.
int CrossOrder(IScanBeam *a, IScanBeam *b) { return byHeightThenSlope<&IScanBeam::SlopeFixed, true>(a, b); }

// ---------------------------------------------------------------- ScanBeam

ScanBeam::ScanBeam(ScanMode mode)
    : _mode(mode), _kinetic(mode == ScanMode::NODE_TO_LINK || mode == ScanMode::LINK_CROSSINGS),
      _fixedEnds(mode != ScanMode::HOLE_LINKING), _BI(this)
{
}

ScanBeam::~ScanBeam() noexcept(false)
{
    if (_BI.attached()) {
        _BI.tohead();
        while (!_BI.hitroot())
            DropRecordAtBI();
        _BI.Attach();
    }
    for (std::vector<PairCheck> *queue : {&_events, &_checkNow, &_checkNext})
        for (const PairCheck &check : *queue)
            Taken(check.upper);
    for (Node *node : _newnodes)
        if (node->Links().empty())
            delete node;
}

void ScanBeam::DropRecordAtBI()
{
    IScanBeam *record = _BI.item();
    if (record->GetLink()->_beam_record == record)
        record->GetLink()->_beam_record = nullptr;
    IScanBeam *above = record->_handle->_prev != rootnode() ? record->_handle->_prev->_item : nullptr;
    _index.Erase(record->_slot);
    _BI.remove();
    record->_gone = true;
    if (record->_checks == 0)
        delete record;
    if (above && _kinetic)
        Watch(above);
}

void ScanBeam::InsertAtBI(IScanBeam *record)
{
    _index.InsertBefore(_BI.hitroot() ? nullptr : _BI.item()->_slot, record);
    _BI.insbefore(record);
    record->_handle = _BI.node()->_prev;
    record->_ysp_step = _step;
    record->GetLink()->_beam_record = record;
    if (_kinetic) {
        if (record->_handle->_prev != rootnode())
            Watch(record->_handle->_prev->_item);
        Watch(record);
    }
}

void ScanBeam::RebuildIndex()
{
    for (DL_Node<IScanBeam *> *n = rootnode()->_next; n != rootnode(); n = n->_next)
        _index.Erase(n->_item->_slot);
    for (DL_Node<IScanBeam *> *n = rootnode()->_next; n != rootnode(); n = n->_next)
        _index.InsertBefore(nullptr, n->_item);
}

// ---------------------------------------------------------------- pair checks

void ScanBeam::Queue(std::vector<PairCheck> *queue, const PairCheck &check)
{
    check.upper->_checks++;
    queue->push_back(check);
    if (queue == &_events)
        std::push_heap(_events.begin(), _events.end(), std::greater<>());
}

bool ScanBeam::Taken(IScanBeam *upper)
{
    upper->_checks--;
    if (!upper->_gone)
        return true;
    if (upper->_checks == 0)
        delete upper;
    return false;
}

void ScanBeam::Watch(IScanBeam *upper)
{
    upper->_pair_version++;
    if (upper->_handle->_next != rootnode())
        Queue(&_checkNow, {0.0, upper, upper->_pair_version});
}

bool ScanBeam::OutOfOrder(IScanBeam *upper, IScanBeam *lower)
{
    Ysp(upper);
    Ysp(lower);
    return (_mode == ScanMode::LINK_CROSSINGS ? CrossOrder(lower, upper) : BeamOrderFixed(lower, upper)) == 1;
}

void ScanBeam::Exchange(IScanBeam *upper)
{
    DL_Node<IScanBeam *> *top = upper->_handle;
    DL_Node<IScanBeam *> *bottom = top->_next;
    IScanBeam *lower = bottom->_item;
    top->_item = lower;
    bottom->_item = upper;
    upper->_handle = bottom;
    lower->_handle = top;
    BeamIndex::SwapItems(upper->_slot, lower->_slot);
}

void ScanBeam::CheckPair(const PairCheck &check)
{
    IScanBeam *upper = check.upper;
    if (!Taken(upper) || upper->_pair_version != check.version || upper->_handle->_next == rootnode())
        return;
    IScanBeam *lower = upper->_handle->_next->_item;
    const double x = _low->GetX();
    if (OutOfOrder(upper, lower)) {
        if (_mode == ScanMode::LINK_CROSSINGS)
            IntersectSwapped(upper, lower);
        Exchange(upper);
        if (lower->_handle->_prev != rootnode())
            Watch(lower->_handle->_prev->_item);
        Watch(lower);
        Watch(upper);
        return;
    }
    // In order here. The heights of the two differ by a linear function plus
    // rounding and the half unit the line formula adds inside a link: from
    // the difference now and where the first of them leaves, the first x at
    // which they could be out of order.
    const double end = std::min(upper->RightX(), lower->RightX());
    if (!(end > x))
        return;
    const double margin =
        1.0 + 2.0 * (upper->YspNoise(x) + lower->YspNoise(x) + upper->YspNoise(end) + lower->YspNoise(end));
    const double now = upper->YspFixedAt(nullptr, x, 0.0) - lower->YspFixedAt(nullptr, x, 0.0);
    if (now <= margin) {
        Queue(&_checkNext, check);
        return;
    }
    const double atEnd = upper->YspFixedAt(nullptr, end, 0.0) - lower->YspFixedAt(nullptr, end, 0.0);
    if (atEnd > margin)
        return;
    double from = x + (end - x) * ((now - margin) / (now - atEnd));
    from -= 1e-9 * (end - x);
    if (!(from > x)) {
        Queue(&_checkNext, check);
        return;
    }
    Queue(&_events, {from, upper, check.version});
}

void ScanBeam::Reorder()
{
    const double x = _low->GetX();
    for (;;) {
        if (!_checkNow.empty()) {
            const PairCheck check = _checkNow.back();
            _checkNow.pop_back();
            CheckPair(check);
        } else if (!_events.empty() && _events.front().x <= x) {
            std::pop_heap(_events.begin(), _events.end(), std::greater<>());
            const PairCheck check = _events.back();
            _events.pop_back();
            CheckPair(check);
        } else {
            break;
        }
    }
    _checkNow.swap(_checkNext);
}

void ScanBeam::NewStep(Node *node)
{
    _step++;
    _step_node = node;
    _step_x = node->GetX();
    _step_y = node->GetY();
}

double ScanBeam::Ysp(IScanBeam *record)
{
    if (record->_ysp_step != _step) {
        if (_fixedEnds)
            record->Calc_Ysp_Fixed(_step_node, _step_x, _step_y);
        else
            record->Calc_Ysp_At(_step_node, _step_x, _step_y);
        record->_ysp_step = _step;
    }
    return record->_ysp;
}

void ScanBeam::AllYsp()
{
    DL_Iter<IScanBeam *> iter(this);
    while (iter.iterate())
        Ysp(iter.item());
}

bool ScanBeam::TouchingRun(Node *node, std::vector<IScanBeam *> *run)
{
    run->clear();
    for (Link *link : node->Links()) {
        IScanBeam *record = link->_beam_record;
        if (record && record->GetLink() == link && std::find(run->begin(), run->end(), record) == run->end())
            run->push_back(record);
    }
    if (run->empty())
        return false;
    auto inRun = [run](const DL_Node<IScanBeam *> *n) {
        return std::find(run->begin(), run->end(), n->_item) != run->end();
    };
    const DL_Node<IScanBeam *> *root = rootnode();
    DL_Node<IScanBeam *> *top = (*run)[0]->_handle;
    while (top->_prev != root && inRun(top->_prev))
        top = top->_prev;
    size_t length = 0;
    for (DL_Node<IScanBeam *> *n = top; n != root && inRun(n); n = n->_next)
        length++;
    if (length != run->size())
        return false;
    DL_Node<IScanBeam *> *n = top;
    for (IScanBeam *&record : *run) {
        record = n->_item;
        n = n->_next;
    }
    return true;
}

void ScanBeam::SetSameX(Node *next) { _same_x = next->GetX() <= _low->GetX() ? 1 : 0; }

void ScanBeam::SortByY()
{
    _BI.insertionsort(BeamOrder);
    RebuildIndex();
}

bool ScanBeam::InOrder()
{
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

void ScanBeam::ToFirstBelow(double y)
{
    IScanBeam *first = _index.FirstWhere([&](IScanBeam *record) { return Ysp(record) < y; });
    if (first)
        _BI.tonode(first->_handle);
    else
        _BI.toroot();
}

int ScanBeam::FindNew(ScanMode mode, DL_Iter<Link *> *graphIter)
{
    _low = graphIter->item()->GetBeginNode();
    int result = 0;
    // Hole linking may give the node new links while it runs, so it asks
    // anew each time; the other modes change no link of the node that is
    // still to come, and take the node's links in order once.
    const bool once = mode != ScanMode::HOLE_LINKING;
    if (once)
        _low->LinksBySteepness(0, &_newLinks);
    for (size_t next = 0;; next++) {
        Link *link = once ? (next < _newLinks.size() ? _newLinks[next] : nullptr) : _low->SteepestLink(0);
        if (!link)
            break;
        if (link->IsVertical() && mode != ScanMode::GROUP_FLAGS) {
            if (mode == ScanMode::NODE_TO_LINK) {
                // Vertical links only look for nodes on them; they never stay.
                IScanBeam *record = new IScanBeam(link);
                record->_ysp = _low->GetY();
                record->Set_Direction();
                InsertAtBI(record);
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
            InsertAtBI(record);
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

int ScanBeam::RemoveOld(ScanMode mode, DL_Iter<Link *> *graphIter)
{
    Node *node = graphIter->item()->GetBeginNode();
    _low = node;
    int result = 0;
    const bool hasBeamLinks = node->HasLinkMarked(1);
    const double y = node->GetY();
    if (!_same_x)
        NewStep(node);

    if (mode == ScanMode::NODE_TO_LINK || mode == ScanMode::LINK_CROSSINGS) {
        if (!_same_x)
            Reorder();
        if (!hasBeamLinks) {
            ToFirstBelow(y);
            return 0;
        }
        // The beam falls in height from the top: it was sorted at the first node
        // of this x, and records came since only at their height, where the walk
        // below left off. Heights taken at one x hold for every node there, and
        // a record at the node is at its height (links at two nodes of one x are
        // vertical and never stay). So a walk from the top would pass the
        // records above the node and meet these as the first records at that
        // height. When they are neighbours they are reached through their
        // links, and the walk resumes below them, at the first record under the
        // node.
        if (TouchingRun(node, &_run)) {
            _BI.tonode(_run.front()->_handle);
            for (IScanBeam *record : _run) {
                if (mode == ScanMode::NODE_TO_LINK)
                    NodeToLink();
                record->ProcessCrossings(graphIter);
                DropRecordAtBI();
            }
            while (!_BI.hitroot() && !(y > Ysp(_BI.item())))
                _BI++;
            return 0;
        }
        // Records above the node's height cannot touch it: the walk starts
        // at the first one that is not.
        IScanBeam *first = _index.FirstWhere([&](IScanBeam *record) { return !(Ysp(record) > y); });
        if (first)
            _BI.tonode(first->_handle);
        else
            _BI.toroot();
        while (!_BI.hitroot()) {
            IScanBeam *record = _BI.item();
            if (record->TouchesFixed(node)) {
                if (mode == ScanMode::NODE_TO_LINK)
                    NodeToLink();
                record->ProcessCrossings(graphIter);
                DropRecordAtBI();
                continue;
            }
            if (y > Ysp(record))
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

    if (!hasBeamLinks) {
        ToFirstBelow(y);
        return result;
    }

    // The links at the node are found through their records, not by walking
    // the beam from the top; in a planar graph they are neighbours there.
    std::vector<IScanBeam *> &run = _run;
    if (TouchingRun(node, &run)) {
        const DL_Node<IScanBeam *> *above = run.front()->_handle->_prev;
        // On a repeated x the walk from the top would stop above the run at a
        // record lower than the node; in order, that cannot be.
        if (!_same_x || above == rootnode() || !(y > Ysp(above->_item))) {
            _BI.tonode(run.front()->_handle);
            for (IScanBeam *record : run)
                leave(record);
            return result;
        }
    }

    if (!_same_x) {
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
            Ysp(record);
            if (removed && !insertionPoint)
                insertionPoint = record;
            _BI++;
        }
        if (strayTouching && (AllYsp(), !InOrder())) {
            // The links at the node were not neighbours in the beam: put the
            // beam in order again and insert by height.
            SortByY();
            ToFirstBelow(y);
        } else if (insertionPoint) {
            _BI.tonode(insertionPoint->_handle);
        } else {
            _BI.toroot();
        }
    } else {
        bool removed = false;
        _BI.tohead();
        while (!_BI.hitroot()) {
            IScanBeam *record = _BI.item();
            if (record->Touches(node)) {
                leave(record);
                removed = true;
                continue;
            }
            if (removed || y > Ysp(record))
                break;
            _BI++;
        }
    }
    return result;
}
