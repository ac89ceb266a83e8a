// The tool framework in one include: the tool base classes and tool tabs,
// the map-command tool with the tool-id to command mapping, the tool
// manager and the layout aid of tool tabs.
#pragma once

#include "editor/shell/tools/krt_tool.h"
#include "editor/shell/tools/tool_base.h"
#include "editor/shell/tools/tool_manager.h"
#include "editor/shell/tools/ui_builder.h"
