// What the map documents need of the main window that hosts them. The main
// window implements it; tests implement it with a small recording host.
#pragma once

#include <cstdint>
#include <string>

class TPMap;
class TMapInfo;
class TRecentFileMenu;

class TDocumentHost {
public:
    virtual ~TDocumentHost() = default;

    // True while the main window works (progress shown, start-up, closing):
    // drops, tab closing and closing questions are refused then.
    virtual bool IsBusy() = 0;
    // The wrapper every command works on; the documents set it when a map
    // is installed or another tab becomes active, and clear it when the last
    // tab goes.
    virtual TPMap *&CurrentMap() = 0;
    // Map event 1 (mouse) and 2 (selection), the progress and message
    // callbacks of a newly installed map.
    virtual void SubscribeMap(TPMap &map) = 0;
    // The status bar's progress mode around a save.
    virtual void SetProgressMode(bool on) = 0;
    // Runs a tool id through the main window's dispatch, as if clicked.
    virtual void InvokeTool(uint8_t id) = 0;
    // After the current map changed: bind the layer list to the document,
    // give the map to the tool manager and the options dialog, activate the
    // "Layers" tab, refresh the selection status, button states, units and
    // caption.
    virtual void MapChangedRefresh(TMapInfo &info) = 0;
    virtual TRecentFileMenu &RecentFiles() = 0;
    // The identifier named on the command line ("id=..."), handed out once:
    // later calls give an empty text.
    virtual std::string TakeStartupIdentifier() = 0;
    // Pen-parking layer, special layers, grid system, line styles, page
    // outline and raster file check of a newly installed map.
    virtual void RunInstallationChecks(TPMap &map) = 0;
    // The modal grid system dialog for a map whose grid is not yet decided.
    virtual void ShowGridSystemDialog(TPMap &map) = 0;
    virtual void CloseLayerProperties() = 0;
    virtual void SetButtonStates() = 0;
    virtual void UpdateCaption() = 0;
};
