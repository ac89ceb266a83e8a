// Preparing a graph of two polygon sets for a Boolean operation.
#include <cmath>

#include "engine/polygon/engine_handlers.h"
#include "engine/polygon/engine_parameters.h"
#include "engine/polygon/graph.h"
#include "engine/polygon/graph_link_walks.h"

void Graph::Prepare()
{
    EngineStatus("Intersection");
    Intersect();
    RoundToGrid(GetEngineParameters().internalGrid);
    // Nodes closer than the grid but not merged (the correction lowers the
    // point tolerance below it) can land on one grid point: the links between
    // them have no length left and no line, so they collapse here.
    DeleteZeroLinks(0.0);
    EngineStatus("Set group A/B Flags");
    // Its sort clears the marks.
    ScanPass(ScanMode::GROUP_FLAGS);
    EngineStatus("Set operation Flags");
    // Doubles go, and links with the same region on both sides for every
    // operation (inner links): one walk for the three steps.
    DeleteLinksWhere(_linklist, [](Link *link) {
        if (link->_double)
            return true;
        link->SetOperationFlags();
        return !link->AnyOperationFlag();
    });
    EngineStatus("Finished prepare graph");
}

void Graph::RoundToGrid(double grid)
{
    auto round = [grid](double v) { return std::floor((v + grid * 0.5) / grid) * grid; };
    ForEachLink(_linklist, [&](Link *link) {
        for (Node *node : {link->GetBeginNode(), link->GetEndNode()}) {
            node->SetX(round(node->GetX()));
            node->SetY(round(node->GetY()));
        }
    });
}
