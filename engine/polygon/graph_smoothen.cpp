// Smoothing one closed ring graph: short links, straight-through nodes,
// spikes and small zigzags go.
#include <memory>

#include "engine/polygon/engine_parameters.h"
#include "engine/polygon/graph.h"
#include "engine/polygon/line.h"
#include "engine/polygon/link.h"
#include "engine/polygon/node.h"

namespace {

// The neighbourhood of link L in the ring: P - prev - B - L - E - next - N.
struct RingStep {
    Link *link, *prev, *next;
    Node *p, *b, *e, *n;
    explicit RingStep(Link *l) : link(l)
    {
        b = l->GetBeginNode();
        e = l->GetEndNode();
        prev = l->NextAt(b);
        next = l->NextAt(e);
        p = prev->GetOtherNode(b);
        n = next->GetOtherNode(e);
    }
    // Removing B keeps E in its place; removing E keeps B.
    void RemoveB() { link->MergeNodes(e); }
    void RemoveE() { link->MergeNodes(b); }
    void CollapseShort() { b->AbsorbNode(e); }
};

void DeleteFromList(DL_List<Link *> *list, Link *link)
{
    {
        DL_Iter<Link *> iter(list);
        if (iter.toitem(link))
            iter.remove();
    }
    delete link;
}

PointStatus InLine(Line &line, const LPoint *point, double marge, double *distance = nullptr)
{
    double d;
    const PointStatus status = line.PointInLine(point, d, marge);
    if (distance)
        *distance = d;
    return status;
}

} // namespace

int Graph::Smoothen(double deviation)
{
    if (_linklist->count() <= 3)
        return 0;
    const double maxLength = GetEngineParameters().smoothenMaxLength;
    int changed = 0;

    // Phase 1: one walk around the ring.
    {
        DL_Iter<Link *> head(_linklist);
        head.tohead();
        Link *link = head.item();
        head.Attach();
        int n = _linklist->count();
        Link *scheduled = nullptr;
        Link *follow = nullptr;
        while (n > 0) {
            if (scheduled) {
                DeleteFromList(_linklist, scheduled);
                scheduled = nullptr;
                changed = 1;
                n--;
                link = follow;
                if (_linklist->count() < 3)
                    break;
                continue;
            }
            RingStep step(link);
            follow = step.next;
            if (step.b->ShorterThan(*step.e, 1.0)) {
                step.CollapseShort();
                scheduled = link;
                continue;
            }
            Line line(link);
            line.CalculateLineParameters();
            if (InLine(line, step.p, 0) == PointStatus::ON_LINE) {
                step.RemoveB();
                scheduled = link;
            } else if (InLine(line, step.n, 0) == PointStatus::ON_LINE) {
                step.RemoveE();
                scheduled = link;
            } else {
                n--;
                link = step.next;
            }
        }
    }

    // Phase 2: shortest links first, starting again after every change. A
    // ring of fewer than three links has nothing left to smooth (its two
    // links would be each other's neighbours).
    if (_linklist->count() < 3)
        return changed;
    DL_Iter<Link *> iter(_linklist);
    iter.mergesort(ByLength);
    iter.tohead();
    int n = iter.count();
    Link *scheduled = nullptr;
    while (n > 0) {
        if (scheduled) {
            iter.toitem(scheduled);
            iter.remove();
            delete scheduled;
            scheduled = nullptr;
            changed = 1;
            if (iter.count() < 3)
                break;
            iter.mergesort(ByLength);
            iter.tohead();
            n = iter.count();
            continue;
        }
        Link *link = iter.item();
        RingStep step(link);
        scheduled = link;
        if (step.b->ShorterThan(*step.e, 1.0)) {
            step.CollapseShort();
            continue;
        }
        Line prevLine(step.prev), nextLine(step.next);
        prevLine.CalculateLineParameters();
        nextLine.CalculateLineParameters();
        if (step.e->ShorterThan(*step.p, deviation)) {
            step.RemoveB();
            continue;
        }
        if (step.b->ShorterThan(*step.n, deviation)) {
            step.RemoveE();
            continue;
        }
        // The chords that would replace B (P to E) and E (B to N).
        // Scratch links own their scratch nodes: deleting a link frees them.
        std::unique_ptr<Link> chord1(new Link(new Node(step.p), new Node(step.e)));
        std::unique_ptr<Link> chord2(new Link(new Node(step.b), new Node(step.n)));
        Line line1(chord1.get()), line2(chord2.get());
        line1.CalculateLineParameters();
        line2.CalculateLineParameters();
        double d1 = 0, d2 = 0;
        const bool c1 = InLine(line1, step.b, deviation, &d1) == PointStatus::IN_LINK &&
                        step.p->ShorterThan(*step.e, maxLength);
        const bool c2 = InLine(line2, step.e, deviation, &d2) == PointStatus::IN_LINK &&
                        step.b->ShorterThan(*step.n, maxLength);
        if (c1 && c2) {
            if (DoubleAbs(d2) < DoubleAbs(d1))
                step.RemoveE();
            else
                step.RemoveB();
            continue;
        }
        if (c1) {
            step.RemoveB();
            continue;
        }
        if (c2) {
            step.RemoveE();
            continue;
        }
        Line line(link);
        line.CalculateLineParameters();
        LPoint crossing;
        if (InLine(line, step.p, 0) == PointStatus::ON_LINE) {
            step.RemoveB();
        } else if (InLine(line, step.n, 0) == PointStatus::ON_LINE) {
            step.RemoveE();
        } else if (InLine(nextLine, step.b, deviation) == PointStatus::IN_LINK) {
            if (!prevLine.TryIntersectionPoint(&crossing, &nextLine) ||
                InLine(nextLine, &crossing, 0) != PointStatus::IN_LINK) {
                step.RemoveE();
            } else {
                *step.e = crossing;
                step.RemoveB();
            }
        } else if (InLine(prevLine, step.e, deviation) == PointStatus::IN_LINK) {
            if (!prevLine.TryIntersectionPoint(&crossing, &nextLine) ||
                InLine(prevLine, &crossing, 0) != PointStatus::IN_LINK) {
                step.RemoveB();
            } else {
                *step.b = crossing;
                step.RemoveE();
            }
        } else {
            scheduled = nullptr;
            n--;
            iter++;
        }
    }
    return changed;
}
