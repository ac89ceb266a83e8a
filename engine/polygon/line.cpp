#include "engine/polygon/line.h"

#include <algorithm>
#include <cmath>

#include "engine/polygon/engine_handlers.h"
#include "engine/polygon/link.h"
#include "engine/polygon/node.h"

Line::Line(const LPoint *begin, const LPoint *end) { SetParameters(*begin, *end); }

Line::Line(const Line &other)
    : _a(other._a), _b(other._b), _c(other._c), _link(other._link), _valid(other._valid)
{
}

Line::~Line() { DropCrossings(); }

void Line::DropCrossings()
{
    delete _crossings;
    _crossings = nullptr;
    delete _crossingSet;
    _crossingSet = nullptr;
}

void Line::SetParameters(const LPoint &begin, const LPoint &end)
{
    double a = end.GetY() - begin.GetY();
    double b = begin.GetX() - end.GetX();
    const double length = std::sqrt(a * a + b * b);
    if (length == 0)
        EngineError("length = 0", "CalculateLineParameters");
    _a = a / length;
    _b = b / length;
    _c = -(begin.GetX() * _a + begin.GetY() * _b);
    _valid = 1;
}

void Line::CalculateLineParameters() { SetParameters(*_link->GetBeginNode(), *_link->GetEndNode()); }

void Line::CalculateLineParameters(const LPoint *begin, const LPoint *end) { SetParameters(*begin, *end); }

double Line::Calculate_Y(double x)
{
    if (!_valid)
        CalculateLineParameters();
    if (_a == 0)
        return _link->GetBeginNode()->GetY();
    return -(x * _a + _c) / _b;
}

double Line::Calculate_Y_from_X(double x) const
{
    if (_a == 0)
        return _link->GetBeginNode()->GetY();
    return -(x * _a + _c) / _b + 0.5;
}

void Line::Virtual_Point(LPoint *point, double distance) const
{
    point->SetX(point->GetX() - _a * distance);
    point->SetY(point->GetY() - _b * distance);
}

PointStatus Line::PointOnLine(const LPoint *point, double &distance, double marge)
{
    if (!_valid)
        CalculateLineParameters();
    distance = _a * point->GetX() + _b * point->GetY() + _c;
    if (distance < -marge)
        return PointStatus::LEFT_SIDE;
    if (distance > marge)
        return PointStatus::RIGHT_SIDE;
    return PointStatus::ON_LINE;
}

PointStatus Line::PointInLine(const LPoint *point, double &distance, double marge)
{
    const PointStatus status = PointOnLine(point, distance, marge);
    if (status != PointStatus::ON_LINE)
        return status;
    const Node *begin = _link->GetBeginNode();
    const Node *end = _link->GetEndNode();
    const double x = point->GetX();
    const double y = point->GetY();
    if (x >= std::min(begin->GetX(), end->GetX()) - marge &&
        x <= std::max(begin->GetX(), end->GetX()) + marge &&
        y >= std::min(begin->GetY(), end->GetY()) - marge &&
        y <= std::max(begin->GetY(), end->GetY()) + marge)
        return PointStatus::IN_LINK;
    return PointStatus::ON_LINE;
}

int Line::TryIntersectionPoint(LPoint *result, const Line *other) const
{
    const double det = _a * other->_b - _b * other->_a;
    if (det == 0)
        return 0;
    result->SetX((_b * other->_c - _c * other->_b) / det);
    result->SetY((_c * other->_a - _a * other->_c) / det);
    return 1;
}

void Line::IntersectionPoint(LPoint *result, const Line *other) const
{
    if (!TryIntersectionPoint(result, other))
        EngineError("colliniar lines", "line");
}

Node *Line::Intersect(Line *other)
{
    LPoint crossing;
    IntersectionPoint(&crossing, other);
    Node *node = new Node(&crossing);
    AddCrossing(node);
    other->AddCrossing(node);
    return node;
}

void Line::AddCrossing(Node *node)
{
    if (_link && (node == _link->GetBeginNode() || node == _link->GetEndNode()))
        return;
    if (!_crossings) {
        _crossings = new DL_List<Node *>;
        _crossings->insend(node);
        return;
    }
    // A link crossed by many others would make the look-up quadratic.
    constexpr int kIndexedFrom = 8;
    if (_crossings->count() < kIndexedFrom) {
        DL_Iter<Node *> look(_crossings);
        if (look.has(node))
            return;
    } else {
        if (!_crossingSet || _crossingSet->size() != static_cast<size_t>(_crossings->count())) {
            delete _crossingSet;
            _crossingSet = new std::unordered_set<Node *>;
            DL_Iter<Node *> all(_crossings);
            while (all.iterate())
                _crossingSet->insert(all.item());
        }
        if (!_crossingSet->insert(node).second)
            return;
    }
    _crossings->insend(node);
}

Node *Line::AddCrossing(double x, double y)
{
    Node *node = new Node(x, y);
    AddCrossing(node);
    return node;
}

bool Line::CrossingsEmpty() const { return !_crossings || _crossings->empty(); }
