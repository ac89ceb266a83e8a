// The map engine's exported interface: one header that brings in the
// declarations of every engine subsystem.
#pragma once

// Object kernel and document model
#include "engine/kernel/kernel_types.h"
#include "engine/kernel/bank.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/buffer.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/graph_services.h"
#include "engine/kernel/graph_window.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/object_copy.h"
#include "engine/kernel/object_queries.h"
#include "engine/kernel/map_obj_arr.h"
#include "engine/kernel/global_memory_helpers.h"
#include "engine/kernel/coded_points.h"
#include "engine/kernel/cover_record.h"
// View, drawing and projections
#include "engine/view/coords.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/projection/datum_table.h"
#include "engine/view/projection/projection_module.h"
#include "engine/view/projection/projection_manager.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/view/viewrecord/unit_text.h"
#include "engine/view/viewrecord/mgrs.h"
#include "engine/view/linestyle/line_style.h"
// Map window, commands and output
#include "engine/window/map_commands.h"
#include "engine/window/map_notifications.h"
#include "engine/window/wndres.h"
#include "engine/window/window_queries.h"
#include "engine/window/object_wrappers.h"
#include "engine/window/view_display.h"
#include "engine/window/line_width_unit.h"
#include "engine/window/reproject.h"
// Polygon geometry engine
#include "engine/polygon/polygon_logical.h"
// Geometric editing operations
// Thematic presentations, legends and grids
