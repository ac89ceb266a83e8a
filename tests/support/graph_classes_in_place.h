// Gives a test the engine's graphical classes in place of the process's class
// table, with internal errors kept quiet and message boxes answered by the
// test, and puts the process's state back afterwards.
#pragma once

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/object_classes.h"
#include "platform/diagnostics.h"
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <memory>
#include <string_view>
#include <utility>

class GraphClassesInPlace {
public:
    // Call through ASSERT_NO_FATAL_FAILURE: a failed set-up ends the caller.
    void install(MessageBoxHook hook)
    {
        saved_ = SaveClassTable();
        ClearClassTable();
        ASSERT_EQ(InitGraphClasses(0), 1);
        oldSink_ = SetInternalErrorSink([](std::string_view) {});
        oldHook_ = SetMessageBoxHook(std::move(hook));
    }

    void restore()
    {
        SetInternalErrorSink(oldSink_);
        SetMessageBoxHook(oldHook_);
        RestoreClassTable(saved_);
    }

private:
    std::shared_ptr<OBJectClassTableState> saved_;
    InternalErrorSink oldSink_;
    MessageBoxHook oldHook_;
};
