// The builders that draw the two sides, the corner joins and the end caps
// of a band around a chain of links: inner corners are cut at the crossing
// of the offset lines, outer corners follow an arc around the corner node.
#include <memory>

#include "engine/polygon/engine_parameters.h"
#include "engine/polygon/graph.h"
#include "engine/polygon/line.h"
#include "engine/polygon/link.h"
#include "engine/polygon/node.h"

namespace {

// Turn codes of Link::SideOf for consecutive links of a chain.
constexpr int kTurnsLeft = 0;
constexpr int kStraight = 1;
constexpr int kTurnsRight = 2;

Node *OffsetNode(const Line &line, const LPoint *point, double distance)
{
    Node *node = new Node(point);
    line.Virtual_Point(node, distance);
    return node;
}

// The offset line of a line's link at distance, as a line without a link.
struct OffsetLine {
    LPoint begin, end;
    std::unique_ptr<Line> line;
    OffsetLine(const Line &of, double distance)
        : begin(*of.GetLink()->GetBeginNode()), end(*of.GetLink()->GetEndNode())
    {
        of.Virtual_Point(&begin, distance);
        of.Virtual_Point(&end, distance);
        line = std::make_unique<Line>(&begin, &end);
    }
};

} // namespace

Node *Line::OffsetToCrossing(Line *next, Node *from, double distance, Graph *graph)
{
    // The offset lines are taken from the links themselves, so that a running
    // node that already stands at the corner does not make a line of length 0.
    OffsetLine first(*this, distance);
    OffsetLine second(*next, distance);
    LPoint crossing;
    first.line->IntersectionPoint(&crossing, second.line.get());
    Node *corner = new Node(&crossing);
    graph->AddLink(from, corner);
    return corner;
}

Node *Line::OffsetToArc(Line *next, Node *from, double distance, Graph *graph)
{
    Node *end = OffsetNode(*this, _link->GetEndNode(), distance);
    Link *side = new Link(0, from, end);
    graph->AddLink(side);
    // The side's line runs along L1's offset whatever the running node is.
    OffsetLine first(*this, distance);
    Line along(side);
    along.CalculateLineParameters(&first.begin, &first.end);
    Node *arcEnd = OffsetNode(*next, next->GetLink()->GetBeginNode(), distance);
    graph->CreateArcAtLine(_link->GetEndNode(), &along, arcEnd, DoubleAbs(distance),
                           GetEngineParameters().correctionDeviation);
    return arcEnd;
}

int Line::OffsetCornerFits(Line *next, double distance, Node *left, Node *right, int *turn)
{
    const double d = DoubleAbs(distance);
    const double marge = GetEngineParameters().lineAccuracy;
    *turn = static_cast<int>(_link->SideOf(next->GetLink()));
    LPoint far(next->GetLink()->GetEndNode());
    double sideDistance = 0, farDistance = 0;
    if (*turn == kTurnsLeft) {
        next->Virtual_Point(&far, d);
        next->PointOnLine(left, sideDistance, marge);
        PointOnLine(&far, farDistance, marge);
        return sideDistance < -d && farDistance < -d ? 1 : 0;
    }
    if (*turn == kTurnsRight) {
        next->Virtual_Point(&far, -d);
        next->PointOnLine(right, sideDistance, marge);
        PointOnLine(&far, farDistance, marge);
        return sideDistance > d && farDistance > d ? 1 : 0;
    }
    return 1;
}

int Line::OffsetCorner(Line *next, Node **left, Node **right, double distance, Graph *graph)
{
    int turn = kStraight;
    if (!OffsetCornerFits(next, distance, *left, *right, &turn))
        return 0;
    if (turn == kStraight) {
        Node *newLeft = OffsetNode(*this, _link->GetEndNode(), distance);
        Node *newRight = OffsetNode(*this, _link->GetEndNode(), -distance);
        graph->AddLink(*left, newLeft);
        graph->AddLink(*right, newRight);
        *left = newLeft;
        *right = newRight;
    } else if (turn == kTurnsRight) {
        *left = OffsetToArc(next, *left, distance, graph);
        *right = OffsetToCrossing(next, *right, -distance, graph);
    } else {
        *left = OffsetToCrossing(next, *left, distance, graph);
        *right = OffsetToArc(next, *right, -distance, graph);
    }
    return 1;
}

void Line::OffsetStart(Line *next, Node **left, Node **right, double distance, Graph *graph)
{
    const double d = DoubleAbs(distance);
    const int turn = static_cast<int>(_link->SideOf(next->GetLink()));
    Node *corner = _link->GetEndNode();
    if (turn == kStraight) {
        *left = OffsetNode(*this, next->GetLink()->GetBeginNode(), d);
        *right = OffsetNode(*this, next->GetLink()->GetBeginNode(), -d);
        graph->AddLink(*left, *right);
    } else if (turn == kTurnsRight) {
        *left = OffsetNode(*this, corner, d);
        *right = OffsetNode(*next, next->GetLink()->GetBeginNode(), -d);
        graph->AddLink(*left, *right);
        *left = OffsetToArc(next, *left, d, graph);
    } else {
        *left = OffsetNode(*next, next->GetLink()->GetBeginNode(), d);
        *right = OffsetNode(*this, corner, -d);
        graph->AddLink(*left, *right);
        *right = OffsetToArc(next, *right, -d, graph);
    }
}

void Line::OffsetEnd(Line *next, Node *left, Node *right, double distance, Graph *graph)
{
    const double d = DoubleAbs(distance);
    const int turn = static_cast<int>(_link->SideOf(next->GetLink()));
    Node *corner = _link->GetEndNode();
    if (turn == kStraight) {
        Node *a = OffsetNode(*this, corner, d);
        Node *b = OffsetNode(*this, corner, -d);
        graph->AddLink(left, a);
        graph->AddLink(right, b);
        graph->AddLink(a, b);
    } else if (turn == kTurnsRight) {
        Node *b = OffsetNode(*this, corner, -d);
        graph->AddLink(right, b);
        graph->AddLink(OffsetToArc(next, left, d, graph), b);
    } else {
        Node *a = OffsetNode(*this, corner, d);
        graph->AddLink(left, a);
        graph->AddLink(OffsetToArc(next, right, -d, graph), a);
    }
}
