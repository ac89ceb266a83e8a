#include "engine/window/map_commands.h"

namespace {

int sendCommand(HWND hwnd, MAP_TOOL_COMMAND id)
{
    SendMessage(hwnd, WM_COMMAND, id, 0);
    return 1;
}

} // namespace

int map_tool_FilesNew(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_FILES_NEW); }
int map_tool_FilesOpen(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_FILES_OPEN); }
int map_tool_FilesSave(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_FILES_SAVE); }
int map_tool_FilesSaveAs(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_FILES_SAVEAS); }
int map_tool_FilesExport(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_FILES_EXPORT); }
int map_tool_FilesImport(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_FILES_IMPORT); }
int map_tool_FilesPrint(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_FILES_PRINT); }
int map_tool_FilesPrinterSetup(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_FILES_PRINTERSETUP); }
int map_tool_FilesPageSetup(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_FILES_PAGESETUP); }
int map_tool_FilesClose(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_FILES_CLOSE); }
int map_tool_EditUndo(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_EDIT_UNDO); }
int map_tool_EditCut(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_EDIT_CUT); }
int map_tool_EditCopy(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_EDIT_COPY); }
int map_tool_EditPasteSpecial(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_EDIT_PASTESPECIAL); }
int map_tool_EditPaste(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_EDIT_PASTE); }
int map_tool_EditDelete(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_EDIT_DELETE); }
int map_tool_MapAttributes(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_MAP_ATTRIBUTES); }
int map_tool_MapLayers(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_MAP_LAYERS); }
int map_tool_MapProjection(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_MAP_PROJECTION); }
int map_tool_MapSettings(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_MAP_SETTINGS); }
int map_tool_ObjectsIdentification(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_OBJECTS_IDENTIFICATION); }
int map_tool_ObjectsDiscard(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_OBJECTS_DISCARD); }
int map_tool_PolygonDraw(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_POLYGON_DRAW); }
int map_tool_PolylineDraw(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_POLYLINE_DRAW); }
int map_tool_ObjectsCopy(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_OBJECTS_COPY); }
int map_tool_ObjectsMove(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_OBJECTS_MOVE); }
int map_tool_ZoomIn(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_ZOOM_IN); }
int map_tool_ZoomOut(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_ZOOM_OUT); }
int map_tool_NodeDrag(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_NODE_DRAG); }
int map_tool_NodePlane(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_NODE_PLANE); }
int map_tool_NodeCut(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_NODE_CUT); }
int map_tool_NodeJoin(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_NODE_JOIN); }
int map_tool_PolygonUnion(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_POLYGON_UNION); }
int map_tool_PolygonIntersection(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_POLYGON_INTERSECTION); }
int map_tool_PolygonComplement(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_POLYGON_COMPLEMENT); }
int map_tool_TextDraw(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_TEXT_DRAW); }
int map_tool_Legend(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_LEGEND); }
int map_tool_ObjectsDeselect(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_OBJECTS_DESELECT); }
int map_tool_ObjectsGroup(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_OBJECTS_GROUP); }
int map_tool_ObjectsUngroup(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_OBJECTS_UNGROUP); }
int map_tool_ObjectsMoveToLayer(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_OBJECTS_MOVETOLAYER); }
int map_tool_ObjectsGISInfo(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_OBJECTS_GISINFO); }
int map_tool_Enclosed(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_ENCLOSED); }
int map_tool_Neighbours(HWND hwnd) { return sendCommand(hwnd, MAP_TOOL_NEIGHBOURS); }
