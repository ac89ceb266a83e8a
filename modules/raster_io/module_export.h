// The entry points of a converter module: plain C names, the only symbols
// the module shows.
#pragma once

#define MODULE_EXPORT extern "C" __attribute__((visibility("default")))
