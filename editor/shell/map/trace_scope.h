// Writes an operation's entry and exit lines to the trace log while the
// operation runs ("Entry : TPMap.DeleteLayer()", "Exit  : ..."); without an
// open log it costs one test.
#pragma once

#include "editor/shell/support/global.h"

class TTraceScope {
public:
    explicit TTraceScope(const char *name) : name_(Global().Tracer() ? name : nullptr)
    {
        if (name_)
            Global().TraceEntry(name_);
    }
    ~TTraceScope()
    {
        if (name_)
            Global().TraceExit(name_);
    }
    TTraceScope(const TTraceScope &) = delete;
    TTraceScope &operator=(const TTraceScope &) = delete;

private:
    const char *name_;
};
