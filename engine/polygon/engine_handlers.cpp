#include "engine/polygon/engine_handlers.h"

#include "engine/polygon/gds_error.h"

namespace {

EngineErrorHandler *g_errorHandler = nullptr;
EngineStatusHandler *g_statusHandler = nullptr;
bool g_partial = false;

[[noreturn]] void RaiseFatal(const char *message, const char *header)
{
    GDS_Error error(" Fatal Error", "Fatal Error", 9, 1);
    error.SetReport(message, header);
    throw error;
}

} // namespace

void EngineErrorHandler::Error(const char *message, const char *header) { RaiseFatal(message, header); }

void EngineErrorHandler::Warning(const char *, const char *) {}

void EngineStatusHandler::Status(const char *) {}

EngineErrorHandler *CurrentErrorHandler() { return g_errorHandler; }
EngineStatusHandler *CurrentStatusHandler() { return g_statusHandler; }

EngineHandlerScope::EngineHandlerScope() : EngineHandlerScope(new EngineErrorHandler, new EngineStatusHandler)
{
}

EngineHandlerScope::EngineHandlerScope(EngineErrorHandler *error, EngineStatusHandler *status)
    : _previousPartial(g_partial), _previousError(g_errorHandler), _previousStatus(g_statusHandler),
      _error(error), _status(status)
{
    g_errorHandler = _error;
    g_statusHandler = _status;
    g_partial = false;
}

EngineHandlerScope::~EngineHandlerScope()
{
    g_errorHandler = _previousError;
    g_statusHandler = _previousStatus;
    g_partial = _previousPartial;
    delete _error;
    delete _status;
}

void EngineError(const char *message, const char *header)
{
    if (g_errorHandler)
        g_errorHandler->Error(message, header);
    RaiseFatal(message, header);
}

void EngineWarning(const char *message, const char *header)
{
    if (g_errorHandler)
        g_errorHandler->Warning(message, header);
}

void EngineStatus(const char *text)
{
    if (g_statusHandler)
        g_statusHandler->Status(text);
}

void NotePartialResult() { g_partial = true; }
bool PartialResultNoted() { return g_partial; }
