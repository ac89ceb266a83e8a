// The identity of the map control library: class and interface ids, ProgIDs,
// the dispatch ids of the control's interface IMap and of its event
// interface IMapEvents, and the command numbers of Command.
#pragma once

#include "platform/automation_guid.h"

#include <cstdint>

inline constexpr GUID kMapCtrlClsid = {
    0x2CD73567, 0x4AC1, 0x11D1, {0x85, 0xD5, 0x00, 0xA0, 0x24, 0x57, 0x17, 0xF8}};
inline constexpr GUID kIMapIid = {
    0x2CD73565, 0x4AC1, 0x11D1, {0x85, 0xD5, 0x00, 0xA0, 0x24, 0x57, 0x17, 0xF8}};
inline constexpr GUID kIMapEventsIid = {
    0x2CD73566, 0x4AC1, 0x11D1, {0x85, 0xD5, 0x00, 0xA0, 0x24, 0x57, 0x17, 0xF8}};
inline constexpr GUID kKrtMapLibId = {
    0x2CD73564, 0x4AC1, 0x11D1, {0x85, 0xD5, 0x00, 0xA0, 0x24, 0x57, 0x17, 0xF8}};
inline constexpr GUID kMapPropPageClsid = {
    0x2CD73568, 0x4AC1, 0x11D1, {0x85, 0xD5, 0x00, 0xA0, 0x24, 0x57, 0x17, 0xF8}};
inline constexpr GUID kPropPageAboutClsid = {
    0x9DE52783, 0xF272, 0x11D2, {0xA3, 0xB3, 0x00, 0xA0, 0x24, 0x57, 0x18, 0x03}};
inline constexpr GUID kKrtPointClsid = {
    0xEB50B7E8, 0x90AE, 0x11D1, {0xAE, 0xC5, 0x00, 0xA0, 0x24, 0x57, 0x17, 0xF8}};
inline constexpr GUID kIKrtPointIid = {
    0xEB50B7E7, 0x90AE, 0x11D1, {0xAE, 0xC5, 0x00, 0xA0, 0x24, 0x57, 0x17, 0xF8}};
inline constexpr GUID kKrtRectClsid = {
    0x9F61A6E3, 0x9249, 0x11D1, {0xAE, 0xC5, 0x00, 0xA0, 0x24, 0x57, 0x17, 0xF8}};
inline constexpr GUID kIKrtRectIid = {
    0x9F61A6E2, 0x9249, 0x11D1, {0xAE, 0xC5, 0x00, 0xA0, 0x24, 0x57, 0x17, 0xF8}};

inline constexpr const char *kMapCtrlProgId = "KRTMAP.MapCtrl.1";
inline constexpr const char *kMapCtrlTypeName = "Krt Map Control";
inline constexpr const char *kMapPropPageTypeName = "Krt Map Property Page";
inline constexpr const char *kPropPageAboutTypeName = "AboutKrtMapControl";
// The version the control registers and persists its properties with.
inline constexpr int kControlVersionMajor = 2;
inline constexpr int kControlVersionMinor = 7;
inline constexpr uint32_t kControlVersion = (uint32_t(kControlVersionMajor) << 16) | kControlVersionMinor;
inline constexpr uint32_t kControlMiscStatus = 0x20191;

// Dispatch ids of IMap (positions in the member table).
enum MapDispid : int32_t {
    DISPID_MAP_NAME = 5,
    DISPID_MAP_FILENAME = 6,
    DISPID_MAP_OFFSCREENDRAWING = 7,
    DISPID_MAP_ISMODIFIED = 8,
    DISPID_MAP_MAPSCALE = 9,
    DISPID_MAP_ORIGINX = 10,
    DISPID_MAP_ORIGINY = 11,
    DISPID_MAP_ORIGINALIGNMENT = 12,
    DISPID_MAP_OPEN = 18,
    DISPID_MAP_SHOWSCROLLS = 19,
    DISPID_MAP_QUERYSELECTION = 20,
    DISPID_MAP_QUERYALLOBJECTS = 21,
    DISPID_MAP_QUERYBYMAPPOINT = 22,
    DISPID_MAP_WINDOWTOMAP = 23,
    DISPID_MAP_MAPTOWINDOW = 24,
    DISPID_MAP_QUERYBYWNDPOINT = 25,
    DISPID_MAP_WINDOWTOMAPRECT = 26,
    DISPID_MAP_MAPTOWINDOWRECT = 27,
    DISPID_MAP_QUERYBYMAPRECT = 28,
    DISPID_MAP_QUERYBYWNDRECT = 29,
    DISPID_MAP_COMMAND = 30,
    DISPID_MAP_CLOSE = 31,
    DISPID_MAP_IMPORT = 32,
    DISPID_MAP_EXPORT = 33,
    DISPID_MAP_UNITSGET = 34,
    DISPID_MAP_UNITSSET = 35,
    DISPID_MAP_UNITSTRINGGET = 36,
    DISPID_MAP_ZOOM = 37,
    DISPID_MAP_SAVE = 38,
    DISPID_MAP_POINTUTMTOMGRS = 39,
    DISPID_MAP_COPYTOCLIPBOARD = 40,
    DISPID_MAP_EXPORTRASTERRECT = 41,
    DISPID_MAP_BUFFERING = 42,
    DISPID_MAP_MAPTOWORLD = 43,
    DISPID_MAP_WORLDTOMAP = 44,
    DISPID_MAP_MAPTOWORLDRECT = 45,
    DISPID_MAP_WORLDTOMAPRECT = 46,
    DISPID_MAP_EXPORTEX = 47,
    DISPID_MAP_IMPORTEX = 48,
    // Apart from the others: whether the window shows the whole map.
    DISPID_MAP_PICTURECOMPLETE = 64,
};

// Dispatch ids of IMapEvents.
enum MapEventDispid : int32_t {
    EVENT_QUERYSELECTION = 1,
    EVENT_QUERYALLOBJECTS = 2,
    EVENT_QUERYBYMAPPOINT = 3,
    EVENT_QUERYBYMAPRECT = 4,
    EVENT_QUERYBYWNDPOINT = 5,
    EVENT_QUERYBYWNDRECT = 6,
    EVENT_COMMANDSTATECHANGED = 7,
    EVENT_MOUSEEVENT = 8,
    EVENT_SELECTIONCHANGED = 9,
    EVENT_DISPLAYSCALECHANGED = 10,
    EVENT_PROGRESS = 11,
    EVENT_UNDOREDOCAPTION = 12,
    EVENT_HELPCALL = 13,
    EVENT_OBJECTADD = 14,
    EVENT_GPSREINITSETTING = 15,
    EVENT_GPSSTOP = 16,
};

// Command state flags and query markers (MapConstants).
inline constexpr int32_t mc_CommandFlagActive = 1;
inline constexpr int32_t mc_CommandFlagNotActive = 2;
inline constexpr int32_t mc_CommandFlagEnabled = 4;
inline constexpr int32_t mc_CommandFlagDisabled = 8;
inline constexpr int32_t mc_BeginOfObjects = -2;
inline constexpr int32_t mc_EndOfObjects = -1;

// MapCommandConstants, and the further command numbers without a member.
enum MapCommand : int32_t {
    mCmdDeselect = 400,
    mCmdZoomIn = 401,
    mCmdZoomOut = 402,
    mCmdPolyline = 403,
    mCmdPolygon = 404,
    mCmdPolygonUnion = 405,
    mCmdPolygonIntersection = 406,
    mCmdPolygonComplement = 407,
    mCmdNodeDrag = 408,
    mCmdNodePlane = 409,
    mCmdNodeCut = 410,
    mCmdNodeJoin = 411,
    mCmdMultiselectionGroup = 412,
    mCmdMultiselectionUngroup = 413,
    mCmdMultiselectionMoveToLayer = 414,
    mCmdObjectCopy = 415,
    mCmdObjectMove = 416,
    mCmdObjectGisInfo = 417,
    mCmdObjectIdentification = 418,
    mCmdObjectDiscard = 419,
    mCmdSelectEnclosed = 420,
    mCmdSelectNeighbours = 421,
    mCmdPan = 422,
    mCmdText = 423,
    mCmdLegend = 424,
    mCmdNail = 425,
    mCmdTransformation = 426,
    mCmdReducing = 427,
    mCmdLayersSetup = 428,
    mCmdPageSetup = 429,
    mCmdPrinterSetup = 430,
    mCmdProjectionSetup = 431,
    mCmdViewAllObjects = 432,
    mCmdViewPage = 433,
    mCmdViewSelectedObjects = 434,
    mCmdViewRefresh = 435,
    mCmdObjectBrowser = 436,
    mCmdPresentation = 441,
    mCmdFileImport = 442,
    mCmdFileExport = 443,
    mCmdPrint = 444,
    mCmdSettingsDialog = 445,
    mCmdObjectCut = 446,
    mCmdObjectCopyAll = 447,
    mCmdObjectPaste = 448,
    mCmdPasteSpecial = 449,
    mCmdPasteText = 450,
    mCmdPasteBitmap = 451,
    mCmdSaveSelection = 454,
    mCmdPolygonXOR = 455,
    mCmdPasteHere = 458,
    mCmdUndo = 459,
    mCmdUndoList = 460,
    mCmdRedo = 461,
    mCmdRedoList = 462,
    mCmdBuffering = 463,
    mCmdTestDataSheet = 464,
    mCmdMapExpert = 465,
    mCmdConvertPolygon = 466,
    mCmdRectangle = 467,
    mCmdCircularSelection = 468,
    mCmdFitPage = 469,
    mCmdExtended1 = 470,
    mCmdDeselectObjects = 471,
    mCmdDeselectTool = 472,
    mCmdCopyAllSecondMode = 473,
    mCmdArrow = 474,
    mCmdCircle = 475,
    mCmdPastePage = 476,
    mCmdRastersManagement = 4001,
    mCmdCentrePage = 32930,
};
