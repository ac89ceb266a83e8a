// Shared helpers of the polygon engine tests: an engine operation's frame
// (handlers installed, parameters in internal units) and graph builders.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "engine/polygon/engine_handlers.h"
#include "engine/polygon/engine_parameters.h"
#include "engine/polygon/gds_error.h"
#include "engine/polygon/graph.h"
#include "engine/polygon/link.h"
#include "engine/polygon/node.h"

// Runs f and answers the composed report carried by the GDS_Error it must
// raise ("" when it raises nothing).
template <class F>
std::string ReportOf(F f)
{
    try {
        f();
    } catch (const GDS_Error &error) {
        EXPECT_STREQ(error.GetMessage(), " Fatal Error");
        EXPECT_EQ(error.GetFatal(), 1);
        return error.GetReportMessage();
    }
    return "";
}

class EngineTest : public ::testing::Test {
protected:
    EngineHandlerScope handlers;
    InternalUnitsScope units;
};

using MapPoint = std::pair<double, double>;

// Appends a closed ring given in map units; returns its nodes.
inline std::vector<Node *> AddRing(Graph *graph, const std::vector<MapPoint> &ring, int group = 0)
{
    const double scale = GetEngineParameters().InternalScale();
    std::vector<Node *> nodes;
    for (auto [x, y] : ring)
        nodes.push_back(new Node(x * scale, y * scale));
    for (size_t i = 0; i < nodes.size(); i++) {
        Link *link = new Link(0, nodes[i], nodes[(i + 1) % nodes.size()]);
        link->_group = group & 1;
        graph->AddLink(link);
    }
    return nodes;
}

// Clockwise square (y up): its top edge runs to larger x.
inline std::vector<MapPoint> Square(double x0, double y0, double x1, double y1)
{
    return {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}};
}

// The link of the graph from (x0, y0) to (x1, y1) in map units, or null.
inline Link *FindLink(Graph *graph, double x0, double y0, double x1, double y1)
{
    const double scale = GetEngineParameters().InternalScale();
    const LPoint b(x0 * scale, y0 * scale), e(x1 * scale, y1 * scale);
    DL_Iter<Link *> iter(graph->GetLinkList());
    while (iter.iterate()) {
        Link *link = iter.item();
        if (link->GetBeginNode()->Equal(b, 1.0) && link->GetEndNode()->Equal(e, 1.0))
            return link;
    }
    return nullptr;
}

// Every distinct node of the graph.
inline std::vector<Node *> NodesOf(Graph *graph)
{
    std::vector<Node *> nodes;
    DL_Iter<Link *> iter(graph->GetLinkList());
    while (iter.iterate())
        for (Node *n : {iter.item()->GetBeginNode(), iter.item()->GetEndNode()})
            if (std::find(nodes.begin(), nodes.end(), n) == nodes.end())
                nodes.push_back(n);
    return nodes;
}
