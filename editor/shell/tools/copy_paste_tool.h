// The Edit menu's Cut, Copy, Paste and Paste Here (ids 52 to 56, the tool's
// own id 53 among them). The material travels on the system clipboard in
// the map control's own format, so it pastes into any map of this program
// or of another instance: Cut and Copy hand the selection to the control's
// clipboard commands, Paste puts the clipboard's objects where they were
// copied from, Paste Here where the next click on the map is.
#pragma once

#include "editor/shell/tools/tool_base.h"

#include <cstdint>

inline constexpr uint8_t kCopyPasteToolId = 53;

// Whether the system clipboard holds map objects that a map can paste.
bool ClipboardHoldsMapObjects();

class TCopyPasteTool : public TORVTool {
public:
    explicit TCopyPasteTool(TToolMgr &mgr, uint8_t id = kCopyPasteToolId) : TORVTool(mgr, id) {}

    // Owns 52 to 56. Cut and the copies need a selected object; the pastes
    // need a map and map objects on the clipboard.
    bool GetState(uint8_t id, bool &owned) override;
    void ToolClick(QObject *sender, uint8_t id, bool &handled) override;

    static bool Owns(uint8_t id) { return id >= kCut && id <= kPasteHere; }

    static constexpr uint8_t kCut = 52;
    static constexpr uint8_t kCopyObjects = 53;
    static constexpr uint8_t kCopy = 54;
    static constexpr uint8_t kPaste = 55;
    static constexpr uint8_t kPasteHere = 56;
};
