#include "editor/shell/tools/krt_tool.h"

#include "editor/shell/map/tpmap.h"
#include "editor/shell/tools/copy_paste_tool.h"
#include "editor/shell/tools/tool_manager.h"

namespace {

constexpr uint8_t kFirstCommandId = 166;

// Object types of the selection that decide some commands.
constexpr int32_t kPolygonType = 2;
constexpr int32_t kPageType = 6;
constexpr int32_t kGroupType = 33;

} // namespace

int32_t ToolIdToCommand(uint8_t id)
{
    if (id < kFirstCommandId)
        return 0;
    int32_t command = id < 203 ? id + 234 : id + 243;
    if (command >= 450)
        command += 4;
    if (command > 455)
        command += 2;
    if (command > 472)
        command += 1;
    return command;
}

bool TKRTTool::IsLatching(uint8_t id)
{
    switch (id) {
    case 167: // zoom in
    case 168: // zoom out
    case 169: // polyline
    case 170: // polygon
    case 174: // move node
    case 175: // delete node
    case 182: // move object
    case 188: // pan
    case 218: // rectangle
        return true;
    default:
        return false;
    }
}

bool TKRTTool::GetState(uint8_t id, bool &owned)
{
    owned = id >= kFirstCommandId;
    if (!owned)
        return false;
    if (!map_)
        return false;
    // Pasting needs copied map objects on the clipboard.
    if (id == 205 || id == 209)
        return ClipboardHoldsMapObjects();
    switch (id) {
    case 166:
    case 167:
    case 168:
    case 169:
    case 170:
    case 174:
    case 175:
    case 182:
    case 184:
    case 188:
    case 191:
    case 192:
    case 198:
    case 199:
    case 201:
    case 204:
    case 218:
    case 222:
    case 223:
    case 224:
        return true;
    default:
        break;
    }
    const int32_t selected = map_->SelectedCount();
    switch (id) {
    case 176:
    case 177:
    case 181:
    case 186:
    case 187:
    case 193:
    case 200:
    case 203:
    case 214:
    case 220:
        return selected > 0;
    case 171:
    case 172:
    case 173:
    case 208:
        return selected > 0 && map_->SelectionHasType(kPolygonType);
    case 179:
        return selected > 0 && map_->SelectionHasType(kGroupType);
    case 178:
        return selected > 1;
    case 185:
        return selected > 0 && !map_->SelectionHasType(kPageType);
    default:
        // Among them 202 and 216, which the main window enables itself.
        return false;
    }
}

bool TKRTTool::ChangesTool(uint8_t id)
{
    switch (id) {
    case 166: // deselect
    case 171: // the area operations and the cut and join become tools
    case 172: // when the selection does not do for them
    case 173:
    case 176:
    case 177:
    case 191: // nail
    case 208:
    case 209: // paste here
    case 223: // deselect tool
    case 224: // arrow
        return true;
    default:
        return IsLatching(id);
    }
}

void TKRTTool::ToolClick(QObject *sender, uint8_t id, bool &handled)
{
    handled = id >= kFirstCommandId;
    // The button down shows the control's tool: a command that puts another
    // tool in its place releases it, a one-shot command (a view, a copy, an
    // editor function) leaves it down.
    if (!handled || !ChangesTool(id))
        return SendCommand(id, handled);
    if (Button() && Button()->Id != id)
        Unlatch();
    Latch(sender, IsLatching(id));
    SendCommand(id, handled);
}

void TKRTTool::SendCommand(uint8_t id, bool handled)
{
    if (!handled)
        return;
    if (map_)
        map_->SetCommand(ToolIdToCommand(id));
    if (id == 205 || id == 216) {
        if (map_)
            map_->FireEvent(meObjectsRemoved);
        mgr_.RefreshUITools();
    }
}
