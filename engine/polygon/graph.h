// The working form of polygon rings in the Boolean engine: links between
// nodes. A graph owns its links; the links own their nodes jointly.
#pragma once

#include <cstdint>

#include "engine/polygon/dl_list.h"

class GraphList;
class Line;
class Link;
class Node;

// The jobs of one sweep of the scan beam over a graph.
enum class ScanMode : int {
    NODE_TO_LINK = 0,   // split links at nodes lying on them
    LINK_CROSSINGS = 1, // split crossing links at a new common node
    GROUP_FLAGS = 2,    // inside flags of both groups on each side of a link
    HOLE_LINKING = 3,   // bridge every hole ring to the ring around it
};

class Graph {
public:
    Graph();
    ~Graph() noexcept(false);
    Graph(const Graph &) = delete;
    Graph &operator=(const Graph &) = delete;

    DL_List<Link *> *GetLinkList() const { return _linklist; }
    uint32_t GetReserved() const { return _reserved; }

    void AddLink(Link *link);
    void AddLink(Node *begin, Node *end);
    void TakeOver(Graph *other);
    void SetGroup(int group);
    void SetNumber(int number);
    void ResetFlags();
    void ResetMarks();
    void Reverse();

    // Operation marks.
    void SetOperationFlags();
    void RemoveInlinks();
    void DeleteUnmarkedLinks(int operation);

    // One left-to-right sweep of a scan beam; the number of beam steps that
    // reported a change (hole linking counts the holes it registered).
    int ScanPass(ScanMode mode);
    // Merges nodes closer than the point tolerance; the number of merges.
    int JoinCloseNodes(int *moved = nullptr);
    // Removes links whose begin node is their end node; 1 when any went.
    int RemoveNullLinks();
    // Turns every node about the origin by -90 degrees (plus90 0) or +90.
    void Rotate(int plus90);
    // Makes every crossing and every touching point a node.
    int Intersect();
    // Planar, on the grid, flagged for both groups, marked for every
    // operation, doubles and inner links gone.
    void Prepare();
    void RoundToGrid(double grid);

    // Link simplification.
    int DeleteZeroLinks(double tolerance);
    int CombineLinks(double tolerance);

    // Ring collection.
    void ExtractSimples(int operation, int forOperation);
    Node *NextStartNode(DL_Iter<Link *> *iter);
    void CollectGraph(Node *start, int operation, int forOperation, int graphNumber);
    void Split(GraphList *out);

    // The operation step and orientation.
    void PerformOperation(int operation, GraphList *result);
    int MakeClockWise();

    int Smoothen(double deviation);

    // Correction and ring making; this graph is emptied.
    void Correction(GraphList *result, double factor);
    void MakeRing(GraphList *result, double width);

    // Ring construction around the links and its arcs.
    void CreateRing(DL_List<Graph *> *out, double width);
    void CreateArc(Node *centre, Node *from, Node *to, double radius, int clockwise, double deviation);
    void CreateArcAtLine(Node *centre, Line *line, Node *to, double radius, double deviation);
    void OrientRing();
    bool IsSmall(double size);

private:
    uint32_t _reserved = 0;
    DL_List<Link *> *_linklist;
};

// Link orders for DL_Iter::mergesort (1: first before second, -1 after, 0
// equal keys, which keep their order). Plain comparisons, no tolerance.
int ByBeginNodeX(Link *a, Link *b);
int ByBeginNodeY(Link *a, Link *b);
int ByLength(Link *a, Link *b);
int ByTopThenLeft(Link *a, Link *b);
int ByGraphNumber(Link *a, Link *b);
// Sorts in the same orders by keys taken once per link (large graphs).
// Both can clear marks on the way, sparing the step that follows a walk over
// every link of its own.
enum class ClearMarks { NONE, MARK, MARK_AND_DOUBLE };
void SortByBeginNodeX(DL_Iter<Link *> *iter, ClearMarks clear = ClearMarks::NONE);
void SortByTopThenLeft(DL_Iter<Link *> *iter, ClearMarks clear = ClearMarks::NONE);
void SortByGraphNumber(DL_Iter<Link *> *iter);
