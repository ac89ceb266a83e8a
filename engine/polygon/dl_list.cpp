#include "engine/polygon/dl_list.h"

#include <string>

#include "engine/polygon/engine_handlers.h"

namespace {

const char *ReasonText(int code)
{
    switch (code) {
    case NO_LIST:
        return "no list attached";
    case NO_LIST_OTHER:
        return "no list on other iter";
    case AC_ITER_LIST_OTHER:
        return "iter not allowed on other list";
    case SAME_LIST:
        return "same list not allowed";
    case NOT_SAME_LIST:
        return "must be same list";
    case ITER_GT_1:
        return "more then one iter";
    case ITER_GT_0:
        return "more then zero iter";
    case ITER_HITROOT:
        return "iter at root";
    case NO_ITEM:
        return "no item at current";
    case NO_NEXT:
        return "no next after current";
    case NO_PREV:
        return "no prev before current";
    case EMPTY:
        return "list is empty";
    case NOT_ALLOW:
        return "not allowed";
    case ITER_NEG:
        return "to much iters deleted";
    default:
        return "";
    }
}

[[noreturn]] void Report(const char *prefix, const char *operation, const char *reason)
{
    std::string message = prefix;
    message += operation;
    message += reason;
    EngineError(message.c_str(), "list error");
}

} // namespace

void ReportIterError(const char *operation, int code)
{
    // The iterator's routine has no text of its own for "more then zero iter".
    Report("DL_Iter<Dtype>::", operation, code == ITER_GT_0 ? "" : ReasonText(code));
}

void ReportListError(const char *operation, int code)
{
    const bool hasText = code == ITER_GT_0 || code == EMPTY;
    Report("DL_List<Dtype>::", operation, hasText ? ReasonText(code) : "");
}

void ReportListDestroyedWithIterators() { EngineError("DL_List::~DL_List()\n_iterlevel > 0 ", "list error"); }

void FlushListNodes() { dl_list_detail::FlushNodes<sizeof(DL_Node<void *>)>(); }
