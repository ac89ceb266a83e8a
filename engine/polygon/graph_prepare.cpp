// Preparing a graph of two polygon sets for a Boolean operation.
#include <cmath>

#include "engine/polygon/engine_handlers.h"
#include "engine/polygon/engine_parameters.h"
#include "engine/polygon/graph.h"
#include "engine/polygon/graph_link_walks.h"

void Graph::Prepare() {
  EngineStatus("Intersection");
  Intersect();
  RoundToGrid(GetEngineParameters().internalGrid);
  // Nodes closer than the grid but not merged (the correction lowers the
  // point tolerance below it) can land on one grid point: the links between
  // them have no length left and no line, so they collapse here.
  DeleteZeroLinks(0.0);
  ResetMarks();
  EngineStatus("Set group A/B Flags");
  ScanPass(ScanMode::GROUP_FLAGS);
  EngineStatus("Set operation Flags");
  SetOperationFlags();
  EngineStatus("Remove doubles");
  DeleteLinksWhere(_linklist, [](Link *link) { return link->_double != 0; });
  EngineStatus("Remove inlinks");
  RemoveInlinks();
  EngineStatus("Finished prepare graph");
}

void Graph::RoundToGrid(double grid) {
  auto round = [grid](double v) { return std::floor((v + grid * 0.5) / grid) * grid; };
  ForEachLink(_linklist, [&](Link *link) {
    for (Node *node : {link->GetBeginNode(), link->GetEndNode()}) {
      node->SetX(round(node->GetX()));
      node->SetY(round(node->GetY()));
    }
  });
}
