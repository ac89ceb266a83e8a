// A list of graphs and the list-level operations of the engine: the
// Boolean operation, smoothing, correction, ring making and the steps they
// share. Also the conversions between working rings and graphs.
#pragma once

#include "engine/polygon/dl_list.h"
#include "engine/polygon/graph.h"

struct EnginePolygon;
class EnginePolygonList;

class GraphList : public DL_List<Graph *> {
public:
    GraphList() = default;
    // Deletes every graph still held.
    ~GraphList() noexcept(false);

    void Boolean(int operation);
    void Simplify(Graph *total);
    void CombineLinks(double tolerance);
    void Smoothen(double deviation);
    void UnionAll();
    void NumberGraphs();
    void MergeInto(Graph *total);
    void Correction();
    void MakeRing();
};

void ConvertPolygonsToGraphs(EnginePolygonList *rings, GraphList *graphs);
void BuildGraphFromPolygon(EnginePolygon *ring, Graph *graph);
// With keepEveryPoint the rings keep every node (the entry rounds them
// itself, keeping their topology); otherwise points that rounding makes
// redundant are dropped.
int ConvertGraphsToPolygons(GraphList *graphs, EnginePolygonList *rings, bool keepEveryPoint = false);
