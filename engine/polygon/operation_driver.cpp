#include "engine/polygon/operation_driver.h"

#include "engine/polygon/dl_list.h"
#include "engine/polygon/engine_handlers.h"
#include "engine/polygon/engine_parameters.h"
#include "engine/polygon/engine_polygon.h"
#include "engine/polygon/graph_list.h"

namespace {

bool KnownOperation(int operation)
{
    return (operation >= OP_INTERSECTION && operation <= OP_CORRECTION) || operation == OP_SMOOTHEN;
}

} // namespace

void RunEngineOperation(EnginePolygonList *list, int operation)
{
    if (list->empty())
        return;
    if (!KnownOperation(operation)) {
        EngineWarning("Wrong operation", "Command Error");
        return;
    }
    InternalUnitsScope units;
    // List nodes freed while the graphs work, and the sorts' scratch memory,
    // are kept for reuse; once the graphs are gone (also when an error ends the
    // operation) they go back.
    struct FlushListNodesOnExit {
        ~FlushListNodesOnExit()
        {
            FlushListNodes();
            ReleaseSortScratch();
        }
    } flushListNodes;
    GraphList graphs;
    ConvertPolygonsToGraphs(list, &graphs);
    switch (operation) {
    case OP_MAKE_RING:
        graphs.MakeRing();
        break;
    case OP_CORRECTION:
        graphs.Correction();
        break;
    case OP_SMOOTHEN:
        graphs.Smoothen(GetEngineParameters().smoothenDeviation);
        break;
    default:
        graphs.Boolean(operation);
        break;
    }
    list->DeleteAll();
    // The regions (Boolean results and corrections) are rounded to map
    // units by the entry keeping their topology, from every node.
    ConvertGraphsToPolygons(&graphs, list, operation != OP_MAKE_RING && operation != OP_SMOOTHEN);
}
