// The sink of internal errors: texts that report a misuse inside the engine
// (a bad handle, a missing class). By default they are dropped; with
// MAP_INTERNAL_ERRORS set in the environment they go to standard error.
// Tests install a sink to see them.
#pragma once

#include <functional>
#include <string_view>

using InternalErrorSink = std::function<void(std::string_view)>;

void ReportInternalError(std::string_view text);
// Installs a sink (an empty one restores the default); returns the old one.
InternalErrorSink SetInternalErrorSink(InternalErrorSink sink);
