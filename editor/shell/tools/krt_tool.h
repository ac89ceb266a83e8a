// The tool that owns every tool id from 166 up: each is a command of the map
// control. Its enable table follows the map, the selection and the
// clipboard; drawing and viewing commands that stay active in the control
// keep their button down until another tool takes the control's place or
// the control's tool is deselected.
#pragma once

#include "editor/shell/tools/tool_base.h"

#include <cstdint>

// The control's command number of a tool id; 0 below 166. The sequence skips
// the control's commands that have no tool id.
int32_t ToolIdToCommand(uint8_t id);

class TKRTTool : public TORVTool {
public:
    explicit TKRTTool(TToolMgr &mgr, uint8_t id = 0) : TORVTool(mgr, id) {}

    bool GetState(uint8_t id, bool &owned) override;
    // Releases a button of another id, latches the sender for the commands
    // that stay active, then sends the command to the map when there is
    // one. Paste (205) and Map Expert (216) change the objects behind the
    // editor's back: they fire map event 6 and refresh the shown tool tabs.
    void ToolClick(QObject *sender, uint8_t id, bool &handled) override;

    // Whether the id's command stays active in the control (its button
    // stays down).
    static bool IsLatching(uint8_t id);
    // Whether the id's command may make another tool the control's current
    // one (the latching ones among them).
    static bool ChangesTool(uint8_t id);

private:
    void SendCommand(uint8_t id, bool handled);
};
