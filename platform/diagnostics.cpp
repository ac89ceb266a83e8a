#include "platform/diagnostics.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

std::mutex &sinkMutex()
{
    static std::mutex m;
    return m;
}

InternalErrorSink &currentSink()
{
    static InternalErrorSink sink;
    return sink;
}

} // namespace

void ReportInternalError(std::string_view text)
{
    InternalErrorSink sink;
    {
        std::lock_guard lock(sinkMutex());
        sink = currentSink();
    }
    if (sink) {
        sink(text);
        return;
    }
    static const bool toStderr = std::getenv("MAP_INTERNAL_ERRORS") != nullptr;
    if (toStderr)
        std::fprintf(stderr, "internal error: %.*s\n", int(text.size()), text.data());
}

InternalErrorSink SetInternalErrorSink(InternalErrorSink sink)
{
    std::lock_guard lock(sinkMutex());
    InternalErrorSink old = std::move(currentSink());
    currentSink() = std::move(sink);
    return old;
}
