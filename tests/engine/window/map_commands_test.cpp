#include "engine/window/map_commands.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

// Every tool function sends WM_COMMAND with its own identifier, written
// out here as numbers so that a swapped pair in the code shows.
TEST(MapCommands, EveryToolSendsItsIdentifier)
{
    struct Case {
        int (*fn)(HWND);
        WPARAM id;
    } cases[] = {
        {map_tool_FilesNew, 100},
        {map_tool_FilesOpen, 101},
        {map_tool_FilesSave, 102},
        {map_tool_FilesSaveAs, 103},
        {map_tool_FilesExport, 104},
        {map_tool_FilesImport, 105},
        {map_tool_FilesPrint, 106},
        {map_tool_FilesPrinterSetup, 107},
        {map_tool_FilesPageSetup, 108},
        {map_tool_FilesClose, 110},
        {map_tool_EditUndo, 200},
        {map_tool_EditCut, 201},
        {map_tool_EditCopy, 202},
        {map_tool_EditPasteSpecial, 204},
        {map_tool_EditPaste, 208},
        {map_tool_EditDelete, 209},
        {map_tool_MapAttributes, 350},
        {map_tool_MapLayers, 351},
        {map_tool_MapProjection, 352},
        {map_tool_MapSettings, 354},
        {map_tool_ObjectsIdentification, 401},
        {map_tool_ObjectsDiscard, 402},
        {map_tool_PolygonDraw, 403},
        {map_tool_PolylineDraw, 404},
        {map_tool_ObjectsCopy, 405},
        {map_tool_ObjectsMove, 406},
        {map_tool_ZoomIn, 407},
        {map_tool_ZoomOut, 408},
        {map_tool_NodeDrag, 409},
        {map_tool_NodePlane, 410},
        {map_tool_NodeCut, 411},
        {map_tool_NodeJoin, 412},
        {map_tool_PolygonUnion, 413},
        {map_tool_PolygonIntersection, 414},
        {map_tool_PolygonComplement, 415},
        {map_tool_TextDraw, 416},
        {map_tool_Legend, 417},
        {map_tool_ObjectsDeselect, 418},
        {map_tool_ObjectsGroup, 419},
        {map_tool_ObjectsUngroup, 420},
        {map_tool_ObjectsMoveToLayer, 421},
        {map_tool_ObjectsGISInfo, 422},
        {map_tool_Enclosed, 423},
        {map_tool_Neighbours, 424},
    };
    std::vector<std::pair<UINT, WPARAM>> seen;
    HWND h = CreateHeadlessWindow([&](HWND, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        EXPECT_EQ(l, 0);
        seen.emplace_back(m, w);
        return 0; // handled or not, the tool answers 1
    });
    std::set<WPARAM> ids;
    for (const Case &c : cases) {
        seen.clear();
        EXPECT_EQ(c.fn(h), 1);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].first, WM_COMMAND);
        EXPECT_EQ(seen[0].second, c.id);
        ids.insert(c.id);
    }
    EXPECT_EQ(ids.size(), std::size(cases)) << "identifiers are distinct";
    DestroyWindow(h);
    EXPECT_EQ(map_tool_ZoomIn(h), 1) << "a dead window still gives 1";
}

} // namespace
