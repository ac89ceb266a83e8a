#include "editor/shell/tools/undo_redo_tools.h"

#include "editor/shell/map/tpmap.h"
#include "editor/shell/tools/krt_tool.h"

#include "platform/text_codec.h"

namespace {

struct TOperation {
    int32_t code;
    const char *caption;
};

// Code 36 has no entry.
constexpr TOperation kOperations[] = {
    {0, ""},
    {1, ""},
    {2, "Draw Polygon"},
    {3, "Draw Polyline"},
    {4, "Draw Text"},
    {5, "Add Nail"},
    {6, "Cut"},
    {7, "Paste"},
    {8, "Paste Here"},
    {9, "Paste KML"},
    {10, "Drawn Line"},
    {11, "Drawn Box"},
    {12, "Drawn Circle"},
    {13, "Plot Tree"},
    {14, "Node Edit"},
    {15, "Object Edit"},
    {16, "Length Change"},
    {17, "Text Move"},
    {18, "Reflection"},
    {19, "Title Box"},
    {20, "Title Box Removal"},
    {21, "Legend"},
    {22, "Legend Removal"},
    {23, "Tree Legend"},
    {24, "Marker"},
    {25, "Move to Layer"},
    {26, "Copy to Layer"},
    {27, "OS Grid Lines"},
    {28, "Parallel Line"},
    {29, "Red Lining"},
    {30, "Simplify"},
    {31, "Shapefile Import"},
    {32, "CSV Import"},
    {33, "Survey Import"},
    {34, "RPA Import"},
    {35, "Sport Pitch"},
    {37, "Slide"},
    {38, "Rotate"},
    {39, "Transform"},
    {40, "Map Clean"},
    {100, "Delete"},
    {102, "Layer Removal"},
    {119, "Parallel Lines"},
    {201, "Grouping"},
    {202, "Ungrouping"},
    {203, "Combine Areas"},
    {204, "Overlapped Areas"},
    {205, "Border Areas"},
    {211, "Node Delete"},
    {212, "Join Lines"},
    {213, "Join Lines"},
    {214, "Exclude Areas"},
    {215, "Cut Objects"},
    {216, "Parallel Line"},
    {220, "Node Move"},
    {221, "New Node"},
    {222, "Node Move"},
    {223, "New Node"},
    {224, "Resize Text"},
    {250, "Move"},
    {251, "Nail Operation"},
    {252, "Transformation"},
    {261, "Change Layer"},
    {280, "Fit to Page"},
    {305, "Cut"},
    {2002, "Make Polygon"},
};

constexpr uint8_t kUndoCommandId = 210;
constexpr uint8_t kRedoCommandId = 212;

} // namespace

TUndoRedoList::TUndoRedoList()
{
    for (const TOperation &op : kOperations)
        if (Add(op.code) >= 0)
            captions_.emplace_back(op.caption);
}

std::string TUndoRedoList::Caption(int32_t code) const
{
    const int index = IndexOf(code);
    if (index < 0)
        return "Last Action (" + std::to_string(code) + ")";
    return captions_[size_t(index)];
}

TUndoRedoTool::TUndoRedoTool(TToolMgr &mgr, uint8_t id, std::string prefix)
    : TORVTool(mgr, id), prefix_(std::move(prefix))
{
}

bool TUndoRedoTool::GetState(uint8_t id, bool &owned)
{
    owned = id == id_;
    // Every caption of an operation has three characters at least; an empty
    // one leaves the bare prefix.
    return owned && item_ && item_->text().size() > 8;
}

void TUndoRedoTool::SetCaption(int32_t code)
{
    if (item_)
        item_->setText(FromWindows1252(prefix_ + list_.Caption(code)));
}

void TUndoTool::ToolClick(QObject *sender, uint8_t id, bool &handled)
{
    TORVTool::ToolClick(sender, id, handled);
    if (!handled || !map_)
        return;
    map_->SetCommand(ToolIdToCommand(kUndoCommandId));
    map_->FireEvent(meObjectsRemoved);
}

void TRedoTool::ToolClick(QObject *sender, uint8_t id, bool &handled)
{
    TORVTool::ToolClick(sender, id, handled);
    if (handled && map_)
        map_->SetCommand(ToolIdToCommand(kRedoCommandId));
}
