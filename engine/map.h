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
// View, drawing and projections
// Map window, commands and output
#include "engine/window/map_commands.h"
#include "engine/window/map_notifications.h"
// Polygon geometry engine
// Geometric editing operations
// Thematic presentations, legends and grids
