// Building closed band pieces around the links of a ring graph, and the arc
// approximation that their outer corners use.
#include <algorithm>
#include <cmath>
#include <memory>

#include "engine/polygon/engine_parameters.h"
#include "engine/polygon/graph.h"
#include "engine/polygon/graph_list.h"
#include "engine/polygon/line.h"
#include "engine/polygon/link.h"
#include "engine/polygon/node.h"

namespace {

constexpr double kFullTurn = 6.28;
constexpr int kMaxArcSegments = 6;

std::unique_ptr<Line> LineOn(Link *link)
{
    auto line = std::make_unique<Line>(link);
    line->CalculateLineParameters();
    return line;
}

Link *FirstLink(Node *node) { return node->Links().first(); }

Link *LastLink(Node *node) { return node->Links().last(); }

// Puts piece after the last graph of out, uniting the two when the piece is
// small (the caller decided that).
void UniteWithLast(DL_List<Graph *> *out, std::unique_ptr<Graph> piece)
{
    GraphList together;
    Graph *last = out->removetail();
    together.insbegin(piece.release());
    together.insbegin(last);
    together.UnionAll();
    while (!together.empty())
        out->insend(together.removehead());
}

} // namespace

void Graph::CreateRing(DL_List<Graph *> *out, double width)
{
    Node *start;
    {
        DL_Iter<Link *> iter(_linklist);
        while (iter.iterate())
            iter.item()->_mark = iter.item()->_double = 0;
        iter.mergesort(ByBeginNodeY);
        iter.tohead();
        start = NextStartNode(&iter);
    }
    if (!start)
        return;
    Link *incoming = FirstLink(start)->GetEndNode() == start ? FirstLink(start) : LastLink(start);
    Link *outgoing = FirstLink(start)->GetBeginNode() == start ? FirstLink(start) : LastLink(start);
    std::unique_ptr<Line> previous = LineOn(incoming);
    std::unique_ptr<Line> current = LineOn(outgoing);
    std::unique_ptr<Line> first = LineOn(outgoing);

    Link *link = outgoing;
    while (link) {
        auto piece = std::make_unique<Graph>();
        Node *left = nullptr;
        Node *right = nullptr;
        previous->OffsetStart(current.get(), &left, &right, width, piece.get());
        Link *nextPiece = nullptr;
        for (;;) {
            previous = std::make_unique<Line>(*current);
            link->_mark = 1;
            Link *continuing = link->GetEndNode()->ContinuingLink(link);
            if (!continuing) {
                previous->OffsetEnd(first.get(), left, right, width, piece.get());
                break;
            }
            current = LineOn(continuing);
            if (!previous->OffsetCorner(current.get(), &left, &right, width, piece.get())) {
                // The band cannot turn this corner at this width: it is cut here
                // and a new piece starts at the corner.
                previous->OffsetEnd(current.get(), left, right, width, piece.get());
                nextPiece = continuing;
                break;
            }
            link = continuing;
        }
        piece->OrientRing();
        piece->MakeClockWise();
        if (!out->empty() && piece->IsSmall(DoubleAbs(3.0 * width)))
            UniteWithLast(out, std::move(piece));
        else
            out->insend(piece.release());
        link->_mark = 1;
        link = nextPiece;
    }
}

void Graph::CreateArc(Node *centre, Node *from, Node *to, double radius, int clockwise, double deviation)
{
    auto angle = [centre](const LPoint *p) {
        const double a = std::atan2(p->GetY() - centre->GetY(), p->GetX() - centre->GetX());
        return a < 0 ? a + kFullTurn : a;
    };
    const double a1 = angle(from);
    const double a2 = angle(to);
    double sweep;
    if (clockwise)
        sweep = a2 <= a1 ? a1 - a2 : kFullTurn - a2 + a1;
    else
        sweep = a1 <= a2 ? -(a2 - a1) : -(kFullTurn - a1 + a2);

    const double segment = 2 * std::acos((radius - deviation) / radius);
    int segments = 1;
    if (segment > 0 && !std::isnan(segment)) {
        const double wanted = std::ceil(DoubleAbs(sweep) / segment);
        segments = static_cast<int>(std::clamp(wanted, 1.0, double(kMaxArcSegments)));
    }
    const double step = sweep / segments;
    Node *node = from;
    for (int i = 1; i < segments; i++) {
        const double a = std::atan2(node->GetY() - centre->GetY(), node->GetX() - centre->GetX());
        Node *onArc = new Node(centre->GetX() + radius * std::cos(a - step),
                               centre->GetY() + radius * std::sin(a - step));
        AddLink(node, onArc);
        node = onArc;
    }
    AddLink(node, to);
}

void Graph::CreateArcAtLine(Node *centre, Line *line, Node *to, double radius, double deviation)
{
    double distance;
    const PointStatus side = line->PointOnLine(centre, distance, GetEngineParameters().pointTolerance);
    CreateArc(centre, line->GetLink()->GetEndNode(), to, radius, side == PointStatus::RIGHT_SIDE ? 1 : 0,
              deviation);
}

void Graph::OrientRing()
{
    if (_linklist->empty())
        return;
    DL_Iter<Link *> iter(_linklist);
    iter.tohead();
    Link *link = iter.item();
    Node *from = link->GetBeginNode();
    for (int i = iter.count(); i > 0 && link; i--) {
        Node *at = link->GetOtherNode(from);
        link = link->NextAt(at);
        if (!link)
            break;
        if (link->GetBeginNode() != at) {
            link->SetEndNode(link->GetBeginNode());
            link->SetBeginNode(at);
        }
        from = at;
    }
}

bool Graph::IsSmall(double size)
{
    DL_Iter<Link *> iter(_linklist);
    iter.tohead();
    if (iter.hitroot())
        return true;
    double minX = iter.item()->GetBeginNode()->GetX(), maxX = minX;
    double minY = iter.item()->GetBeginNode()->GetY(), maxY = minY;
    for (; !iter.hitroot(); iter++) {
        const Node *node = iter.item()->GetBeginNode();
        minX = std::min(minX, node->GetX());
        maxX = std::max(maxX, node->GetX());
        minY = std::min(minY, node->GetY());
        maxY = std::max(maxY, node->GetY());
    }
    return maxX - minX < size && maxY - minY < size;
}
