// The map tool commands: each asks the map window to carry out an
// interactive command by sending it WM_COMMAND with the command's identifier.
// The engine handles none of them itself; the window decides what they do.
#pragma once

#include "platform/window.h"

inline constexpr UINT WM_COMMAND = 0x0111;

enum MAP_TOOL_COMMAND : UINT {
    MAP_TOOL_FILES_NEW = 100,
    MAP_TOOL_FILES_OPEN = 101,
    MAP_TOOL_FILES_SAVE = 102,
    MAP_TOOL_FILES_SAVEAS = 103,
    MAP_TOOL_FILES_EXPORT = 104,
    MAP_TOOL_FILES_IMPORT = 105,
    MAP_TOOL_FILES_PRINT = 106,
    MAP_TOOL_FILES_PRINTERSETUP = 107,
    MAP_TOOL_FILES_PAGESETUP = 108,
    MAP_TOOL_FILES_CLOSE = 110,
    MAP_TOOL_EDIT_UNDO = 200,
    MAP_TOOL_EDIT_CUT = 201,
    MAP_TOOL_EDIT_COPY = 202,
    MAP_TOOL_EDIT_PASTESPECIAL = 204,
    MAP_TOOL_EDIT_PASTE = 208,
    MAP_TOOL_EDIT_DELETE = 209,
    MAP_TOOL_MAP_ATTRIBUTES = 350,
    MAP_TOOL_MAP_LAYERS = 351,
    MAP_TOOL_MAP_PROJECTION = 352,
    MAP_TOOL_MAP_SETTINGS = 354,
    MAP_TOOL_OBJECTS_IDENTIFICATION = 401,
    MAP_TOOL_OBJECTS_DISCARD = 402,
    MAP_TOOL_POLYGON_DRAW = 403,
    MAP_TOOL_POLYLINE_DRAW = 404,
    MAP_TOOL_OBJECTS_COPY = 405,
    MAP_TOOL_OBJECTS_MOVE = 406,
    MAP_TOOL_ZOOM_IN = 407,
    MAP_TOOL_ZOOM_OUT = 408,
    MAP_TOOL_NODE_DRAG = 409,
    MAP_TOOL_NODE_PLANE = 410,
    MAP_TOOL_NODE_CUT = 411,
    MAP_TOOL_NODE_JOIN = 412,
    MAP_TOOL_POLYGON_UNION = 413,
    MAP_TOOL_POLYGON_INTERSECTION = 414,
    MAP_TOOL_POLYGON_COMPLEMENT = 415,
    MAP_TOOL_TEXT_DRAW = 416,
    MAP_TOOL_LEGEND = 417,
    MAP_TOOL_OBJECTS_DESELECT = 418,
    MAP_TOOL_OBJECTS_GROUP = 419,
    MAP_TOOL_OBJECTS_UNGROUP = 420,
    MAP_TOOL_OBJECTS_MOVETOLAYER = 421,
    MAP_TOOL_OBJECTS_GISINFO = 422,
    MAP_TOOL_ENCLOSED = 423,
    MAP_TOOL_NEIGHBOURS = 424,
};

// Each sends its identifier (wParam; lParam 0) and returns 1 whatever the
// window did with it.
int map_tool_FilesNew(HWND hwnd);
int map_tool_FilesOpen(HWND hwnd);
int map_tool_FilesSave(HWND hwnd);
int map_tool_FilesSaveAs(HWND hwnd);
int map_tool_FilesExport(HWND hwnd);
int map_tool_FilesImport(HWND hwnd);
int map_tool_FilesPrint(HWND hwnd);
int map_tool_FilesPrinterSetup(HWND hwnd);
int map_tool_FilesPageSetup(HWND hwnd);
int map_tool_FilesClose(HWND hwnd);
int map_tool_EditUndo(HWND hwnd);
int map_tool_EditCut(HWND hwnd);
int map_tool_EditCopy(HWND hwnd);
int map_tool_EditPasteSpecial(HWND hwnd);
int map_tool_EditPaste(HWND hwnd);
int map_tool_EditDelete(HWND hwnd);
int map_tool_MapAttributes(HWND hwnd);
int map_tool_MapLayers(HWND hwnd);
int map_tool_MapProjection(HWND hwnd);
int map_tool_MapSettings(HWND hwnd);
int map_tool_ObjectsIdentification(HWND hwnd);
int map_tool_ObjectsDiscard(HWND hwnd);
int map_tool_PolygonDraw(HWND hwnd);
int map_tool_PolylineDraw(HWND hwnd);
int map_tool_ObjectsCopy(HWND hwnd);
int map_tool_ObjectsMove(HWND hwnd);
int map_tool_ZoomIn(HWND hwnd);
int map_tool_ZoomOut(HWND hwnd);
int map_tool_NodeDrag(HWND hwnd);
int map_tool_NodePlane(HWND hwnd);
int map_tool_NodeCut(HWND hwnd);
int map_tool_NodeJoin(HWND hwnd);
int map_tool_PolygonUnion(HWND hwnd);
int map_tool_PolygonIntersection(HWND hwnd);
int map_tool_PolygonComplement(HWND hwnd);
int map_tool_TextDraw(HWND hwnd);
int map_tool_Legend(HWND hwnd);
int map_tool_ObjectsDeselect(HWND hwnd);
int map_tool_ObjectsGroup(HWND hwnd);
int map_tool_ObjectsUngroup(HWND hwnd);
int map_tool_ObjectsMoveToLayer(HWND hwnd);
int map_tool_ObjectsGISInfo(HWND hwnd);
int map_tool_Enclosed(HWND hwnd);
int map_tool_Neighbours(HWND hwnd);
