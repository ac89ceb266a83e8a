// The map engine's exported interface: one header that brings in the
// declarations of every engine subsystem.
#pragma once

// Object kernel and document model
// View, drawing and projections
// Map window, commands and output
// Polygon geometry engine
// Geometric editing operations
// Thematic presentations, legends and grids
