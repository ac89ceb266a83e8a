#include "editor/shell/tools/copy_paste_tool.h"

#include "editor/shell/map/tpmap.h"
#include "editor/shell/tools/tool_manager.h"

#include "platform/clipboard.h"

namespace {

// The map control's clipboard format of map objects.
constexpr const char *kMapObjectsFormat = "KRT Gorm 5.0";

// The control's commands.
constexpr int32_t kCommandCut = 446;
constexpr int32_t kCommandCopy = 415;
constexpr int32_t kCommandPaste = 448;
constexpr int32_t kCommandPasteAtClick = 458;

constexpr int32_t kPageType = 6;

} // namespace

bool ClipboardHoldsMapObjects()
{
    const UINT format = RegisterClipboardFormatA(kMapObjectsFormat);
    return format && IsClipboardFormatAvailable(format);
}

bool TCopyPasteTool::GetState(uint8_t id, bool &owned)
{
    owned = Owns(id);
    if (!owned || !map_)
        return false;
    switch (id) {
    case kCut:
        // The page is part of the map, not an object to take away.
        return map_->SelectedCount() > 0 && !map_->SelectionHasType(kPageType);
    case kCopyObjects:
    case kCopy:
        return map_->SelectedCount() > 0;
    default:
        return ClipboardHoldsMapObjects();
    }
}

void TCopyPasteTool::ToolClick(QObject *sender, uint8_t id, bool &handled)
{
    TORVTool::ToolClick(sender, id, handled);
    handled = Owns(id);
    if (!handled || !map_)
        return;
    switch (id) {
    case kCut:
        if (map_->SelectedCount() == 0 || map_->SelectionHasType(kPageType))
            return;
        map_->SetCommand(kCommandCut);
        map_->FireEvent(meObjectsRemoved);
        break;
    case kCopyObjects:
    case kCopy:
        map_->SetCommand(kCommandCopy);
        break;
    case kPaste:
        map_->SetCommand(kCommandPaste);
        map_->FireEvent(meObjectsRemoved);
        mgr_.RefreshUITools();
        break;
    default:
        // The control pastes at the next click on the map.
        map_->SetCommand(kCommandPasteAtClick);
        break;
    }
}
