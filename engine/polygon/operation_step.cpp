// The operation step, from a prepared graph to the result rings of one
// operation, and the orientation of ring graphs.
#include "engine/polygon/engine_handlers.h"
#include "engine/polygon/gds_error.h"
#include "engine/polygon/graph.h"
#include "engine/polygon/graph_list.h"
#include "engine/polygon/link.h"
#include "engine/polygon/node.h"

void Graph::PerformOperation(int operation, GraphList *result)
{
    EngineStatus("Performing Operation");
    EngineStatus("Extract simples first ");
    DeleteUnmarkedLinks(operation);
    try {
        ExtractSimples(operation, 1);
    } catch (const GDS_Error &) {
        // The operation goes on without this graph's rings; the caller learns
        // that its result is not complete.
        NotePartialResult();
        return;
    }
    EngineStatus("Linking Holes");
    if (_linklist->empty())
        return;
    if (ScanPass(ScanMode::HOLE_LINKING)) {
        DeleteZeroLinks(1.0);
        EngineStatus("extract simples last");
        ExtractSimples(operation, 0);
    }
    Split(result);
}

int Graph::MakeClockWise()
{
    if (_linklist->empty())
        return 0;
    Node *top;
    {
        DL_Iter<Link *> iter(_linklist);
        SortByTopThenLeft(&iter, ClearMarks::MARK_AND_DOUBLE);
        iter.tohead();
        top = NextStartNode(&iter);
    }
    Link *flattest = top->FlattestLink();
    const bool counterClockwise = flattest->GetBeginNode() == top
                                      ? top->GetX() > flattest->GetEndNode()->GetX()
                                      : top->GetX() < flattest->GetBeginNode()->GetX();
    if (!counterClockwise)
        return 0;
    Reverse();
    return 1;
}
