// The order in which the tool manager creates its tools, which is the order
// in which they are asked for a click or an enable state: the first tool
// that owns an id answers for it. Each tool takes its fixed place; a new
// tool is one line at its place.
#include "editor/shell/tools/copy_paste_tool.h"
#include "editor/shell/tools/krt_tool.h"
#include "editor/shell/tools/tool_manager.h"
#include "editor/shell/tools/undo_redo_tools.h"

#include <array>

namespace {

template <class Tool>
std::unique_ptr<TORVTool> Make(TToolMgr &mgr, uint8_t id)
{
    return std::make_unique<Tool>(mgr, id);
}

// Later tools go in at their places of this order, after the four here:
// centre page (70), centre selection (71), text (75),
// identifiers (86), move to layer (68), copy to layer (69), print page (16),
// print view (17), slide (73), rotate (74), title box (95), legend (92),
// streets (125), schedule (126), shapes (103), markers (129), parallel lines
// (119), locate raster (29), globe viewer (66), paste KML (58), mobile GIS
// (137), sport pitch (134), data link (147), trees (142), second tree survey
// (146), transform (107), web map viewer (67), reflect (117), grid lines
// (118), hectares to acres (49), stencil (124), layer data (164), identifier
// list (91), justify text (115), macros (8).
constexpr std::array kOrder = {
    TToolEntry{0, Make<TKRTTool>},
    TToolEntry{kUndoToolId, Make<TUndoTool>},
    TToolEntry{kRedoToolId, Make<TRedoTool>},
    TToolEntry{kCopyPasteToolId, Make<TCopyPasteTool>},
};

} // namespace

std::span<const TToolEntry> ToolCreationOrder() { return kOrder; }
