// Shared fixture of the kernel tests: a class table of test classes in place
// of the process's one, a fresh kernel, a record of every message and
// internal error.
#pragma once

#include "engine/kernel/bank.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "platform/diagnostics.h"
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kerneltest {

// Test classes: one per ordering mode, one without procedure.
inline constexpr uint16_t CLS_APPEND = 0x0101;   // fixed 52, 4 slots, reserve 16
inline constexpr uint16_t CLS_FIRST = 0x0102;    // insert first
inline constexpr uint16_t CLS_BYHANDLE = 0x0103; // sorted by handle
inline constexpr uint16_t CLS_BYKEY = 0x0104;    // sorted by the key at fixed data 0
inline constexpr uint16_t CLS_NOPROC = 0x0105;   // no class procedure

struct Message {
    OBJHANDLE sender;
    OBJHANDLE receiver;
    uint16_t subCode;
    uint16_t message;
    WPARAM wParam;
    LPARAM lParam;
};

inline std::vector<Message> &messages()
{
    static std::vector<Message> m;
    return m;
}

// Writes a recognisable word on creation so tests see it arrive.
inline constexpr uint32_t CREATE_MARK = 0xC0FFEE;

inline LRESULT recordingProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                             uint16_t message, WPARAM wParam, LPARAM lParam)
{
    messages().push_back({sender, receiver, subCode, message, wParam, lParam});
    if (message == OBJM_CREATE && GetOBJectClassID(kernel, receiver) == CLS_APPEND)
        StoreField<uint32_t>(OBJectLock(kernel, receiver), 4, CREATE_MARK);
    return LRESULT(message) + 1;
}

inline uint32_t keyOf(OBJectKernel *kernel, OBJHANDLE h)
{
    const char *p = OBJectLock(kernel, h);
    return p ? LoadField<uint32_t>(p, 0) : 0;
}

inline int compareByKey(OBJectKernel *kernel, uint16_t, OBJHANDLE a, uint16_t, OBJHANDLE b)
{
    const uint32_t ka = keyOf(kernel, a), kb = keyOf(kernel, b);
    if (ka == kb)
        return ka >= 100 ? OBJ_COMPARE_EQUALKEYS : 0; // keys from 100 may repeat
    return ka < kb ? -1 : 1;
}

class KernelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = SaveClassTable();
        ClearClassTable();
        ASSERT_EQ(RegisterOBJectClass(CLS_APPEND, 52, 4, 16, nullptr, recordingProc, OBJ_APPEND, "Append"),
                  0);
        ASSERT_EQ(RegisterOBJectClass(CLS_FIRST, 8, 2, 0, nullptr, recordingProc, OBJ_INSERTFIRST, "First"),
                  1);
        ASSERT_EQ(
            RegisterOBJectClass(CLS_BYHANDLE, 8, 2, 0, nullptr, recordingProc, OBJ_SORTEDHANDLE, "ByHandle"),
            2);
        ASSERT_EQ(
            RegisterOBJectClass(CLS_BYKEY, 8, 2, 0, compareByKey, recordingProc, OBJ_SORTEDKEY, "ByKey"), 3);
        ASSERT_EQ(RegisterOBJectClass(CLS_NOPROC, 8, 2, 0, nullptr, nullptr, OBJ_APPEND, "NoProc"), 4);
        kernel = KernelNew();
        ASSERT_NE(kernel, nullptr);
        messages().clear();
        oldSink_ = SetInternalErrorSink([this](std::string_view t) { errors.emplace_back(t); });
        oldHook_ = SetMessageBoxHook([this](const MessageBoxRequest &r) {
            boxes.push_back(r);
            return IDOK;
        });
        EnableInternalErrorMessages();
    }

    void TearDown() override
    {
        KernelDelete(kernel);
        SetInternalErrorSink(oldSink_);
        SetMessageBoxHook(oldHook_);
        EnableInternalErrorMessages();
        RestoreClassTable(saved_);
    }

    OBJHANDLE make(uint16_t cls = CLS_APPEND) { return CreateOBJect(kernel, cls); }

    OBJHANDLE makeKeyed(uint32_t key, uint16_t cls = CLS_APPEND)
    {
        const OBJHANDLE h = make(cls);
        StoreField<uint32_t>(OBJectLock(kernel, h), 0, key);
        return h;
    }

    std::vector<OBJHANDLE> targets(OBJHANDLE holder)
    {
        std::vector<OBJHANDLE> out;
        for (int32_t i = 0; i < int32_t(GetNumberOfReferencesFrom(kernel, holder, 0)); ++i)
            out.push_back(GetNthReferenced(kernel, holder, i));
        return out;
    }

    std::vector<uint16_t> messagesTo(OBJHANDLE receiver)
    {
        std::vector<uint16_t> out;
        for (const Message &m : messages())
            if (m.receiver == receiver)
                out.push_back(m.message);
        return out;
    }

    OBJectKernel *kernel = nullptr;
    std::vector<std::string> errors;
    std::vector<MessageBoxRequest> boxes;

private:
    std::shared_ptr<OBJectClassTableState> saved_;
    InternalErrorSink oldSink_;
    MessageBoxHook oldHook_;
};

} // namespace kerneltest
