// The debug output sink: texts that the engine writes for a debug viewer.
// They are kept in memory (the last 1,000) for whoever reads them, and go to
// standard error too when MAP_DEBUG_OUTPUT is set in the environment.
#pragma once

#include <string>
#include <vector>

void OutputDebugStringA(const char *text);

// The kept texts, oldest first.
std::vector<std::string> DebugOutputLines();
void DebugOutputClear();
