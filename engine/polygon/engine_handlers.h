// The two report handlers of the polygon engine: errors and warnings, and
// phase reports. Each public operation installs fresh ones for its span.
#pragma once

#include <chrono>
#include <cstdint>

class EngineErrorHandler {
public:
    virtual ~EngineErrorHandler() = default;
    // A fatal report: raises the fatal GDS_Error (" Fatal Error"), carrying
    // the report's texts as its cause.
    virtual void Error(const char *message, const char *header);
    // A non-fatal report: dropped; the reporting code goes on.
    virtual void Warning(const char *message, const char *header);
};

class EngineStatusHandler {
public:
    virtual ~EngineStatusHandler() = default;
    // A phase report; without tracing it has no effect.
    virtual void Status(const char *text);

    int32_t tracing = 0;
    std::chrono::steady_clock::time_point startTime = std::chrono::steady_clock::now();
};

// The current handlers (null outside an operation).
EngineErrorHandler *CurrentErrorHandler();
EngineStatusHandler *CurrentStatusHandler();

// Installs newly made handlers for its lifetime and deletes them at its end,
// restoring what was installed before. Tests pass handlers of their own.
class EngineHandlerScope {
public:
    EngineHandlerScope();
    EngineHandlerScope(EngineErrorHandler *error, EngineStatusHandler *status);
    ~EngineHandlerScope();
    EngineHandlerScope(const EngineHandlerScope &) = delete;
    EngineHandlerScope &operator=(const EngineHandlerScope &) = delete;

private:
    bool _previousPartial;
    EngineErrorHandler *_previousError;
    EngineStatusHandler *_previousStatus;
    EngineErrorHandler *_error;
    EngineStatusHandler *_status;
};

// Engine code reports through these. EngineError never returns: should a
// handler return from Error, the fatal GDS_Error is raised here, because the
// reporting code cannot go on (a zero-length line, a misused list).
[[noreturn]] void EngineError(const char *message, const char *header);
void EngineWarning(const char *message, const char *header);
void EngineStatus(const char *text);

// A step that recovers from an error and goes on with what it has (ring
// collection) notes it here, so that the public operation can tell its
// caller that the result is partial. Cleared by each EngineHandlerScope.
void NotePartialResult();
bool PartialResultNoted();
