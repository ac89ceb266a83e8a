#include "platform/debug_output.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>

namespace {

constexpr size_t kKept = 1000;

struct Sink {
    std::mutex mutex;
    std::deque<std::string> lines;
};

Sink &sink()
{
    static Sink s;
    return s;
}

} // namespace

void OutputDebugStringA(const char *text)
{
    if (!text)
        return;
    static const bool toStderr = std::getenv("MAP_DEBUG_OUTPUT") != nullptr;
    if (toStderr)
        std::fprintf(stderr, "%s\n", text);
    Sink &s = sink();
    std::lock_guard lock(s.mutex);
    s.lines.emplace_back(text);
    if (s.lines.size() > kKept)
        s.lines.pop_front();
}

std::vector<std::string> DebugOutputLines()
{
    Sink &s = sink();
    std::lock_guard lock(s.mutex);
    return {s.lines.begin(), s.lines.end()};
}

void DebugOutputClear()
{
    Sink &s = sink();
    std::lock_guard lock(s.mutex);
    s.lines.clear();
}
