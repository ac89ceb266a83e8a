// The line through one link of the graph, in the normalised form
// a*x + b*y + c = 0 with (a, b) a unit vector: the signed distance of a
// point is positive right of the link, negative left of it. A line also
// collects the crossing nodes at which its link is to be split.
#pragma once

#include <cstdint>
#include <unordered_set>

#include "engine/polygon/dl_list.h"

class Graph;
class Link;
class LPoint;
class Node;
enum class LinkSide : int;

// Where a point lies against a line (Line::PointOnLine, Line::PointInLine).
enum class PointStatus : int32_t { LEFT_SIDE = 0, RIGHT_SIDE = 1, ON_LINE = 2, IN_LINK = 3 };

class Line {
public:
    Line() = default;
    explicit Line(Link *link) : _link(link) {}
    // A line through two points without a link, parameters computed at once
    // (for collinearity tests of loose points).
    Line(const LPoint *begin, const LPoint *end);
    Line(const Line &other);
    Line &operator=(const Line &) = delete;
    ~Line();

    Link *GetLink() const { return _link; }
    double GetA() const { return _a; }
    double GetB() const { return _b; }
    double GetC() const { return _c; }
    bool IsValid() const { return _valid != 0; }

    void CalculateLineParameters();
    // Parameters of the line through two points, in that direction; the link
    // stays as it is.
    void CalculateLineParameters(const LPoint *begin, const LPoint *end);
    double Calculate_Y(double x);
    // y at x plus 0.5, on the parameters as they stand.
    double Calculate_Y_from_X(double x) const;
    // Moves *point by distance to the left of the link (right when negative).
    void Virtual_Point(LPoint *point, double distance) const;
    PointStatus PointOnLine(const LPoint *point, double &distance, double marge);
    PointStatus PointInLine(const LPoint *point, double &distance, double marge);
    void IntersectionPoint(LPoint *result, const Line *other) const;
    int TryIntersectionPoint(LPoint *result, const Line *other) const;
    // A new node at the intersection, added to both crossing lists.
    Node *Intersect(Line *other);

    void AddCrossing(Node *node);
    Node *AddCrossing(double x, double y);
    DL_List<Node *> *GetCrossings() const { return _crossings; }
    bool CrossingsEmpty() const;

    // Splits the link at its crossings; the pieces go to the head of the
    // graph's link list through the scan pass's iterator. 1 when it split.
    int ProcessCrossings(DL_Iter<Link *> *graphIter);
    // Orders the crossings from the link's begin node towards its end node.
    void SortCrossings();

    // Offset builders of a band of half-width d around a chain of links: this
    // line is on the first link (L1), next on the following one (L2), whose
    // begin node is L1's end node. A positive distance lies left of the chain.
    Node *OffsetToCrossing(Line *next, Node *from, double distance, Graph *graph);
    Node *OffsetToArc(Line *next, Node *from, double distance, Graph *graph);
    // 1 when the corner can be joined at this distance; the turn at the
    // corner (Link::SideOf of L1 towards L2) is stored in every case.
    int OffsetCornerFits(Line *next, double distance, Node *left, Node *right, int *turn);
    int OffsetCorner(Line *next, Node **left, Node **right, double distance, Graph *graph);
    void OffsetStart(Line *next, Node **left, Node **right, double distance, Graph *graph);
    void OffsetEnd(Line *next, Node *left, Node *right, double distance, Graph *graph);

protected:
    double _a = 0.0;
    double _b = 0.0;
    double _c = 0.0;
    Link *_link = nullptr;
    int32_t _valid = 0;
    DL_List<Node *> *_crossings = nullptr;

private:
    // Index of a long crossing list for the check against doubles; rebuilt
    // when the list lost nodes since.
    std::unordered_set<Node *> *_crossingSet = nullptr;
    void DropCrossings();

    void SetParameters(const LPoint &begin, const LPoint &end);
};

// Crossing orders (1: first before second).
int NodeXAscending(Node *a, Node *b);
int NodeXDescending(Node *a, Node *b);
int NodeYAscending(Node *a, Node *b);
int NodeYDescending(Node *a, Node *b);
