// The diagnostic, debug-output and message-box sinks that tests rely on.
#include "platform/debug_output.h"
#include "platform/diagnostics.h"
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Sinks, InternalErrorsReachTheInstalledSink)
{
    std::vector<std::string> got;
    auto old = SetInternalErrorSink([&](std::string_view t) { got.emplace_back(t); });
    ReportInternalError("Bad object class");
    SetInternalErrorSink(std::move(old));
    ReportInternalError("dropped");
    EXPECT_EQ(got, std::vector<std::string>{"Bad object class"});
}

TEST(Sinks, DebugOutputKeepsTheLastThousand)
{
    DebugOutputClear();
    OutputDebugStringA(nullptr);
    for (int i = 0; i < 1005; ++i)
        OutputDebugStringA(std::to_string(i).c_str());
    auto lines = DebugOutputLines();
    ASSERT_EQ(lines.size(), 1000u);
    EXPECT_EQ(lines.front(), "5");
    EXPECT_EQ(lines.back(), "1004");
    DebugOutputClear();
    EXPECT_TRUE(DebugOutputLines().empty());
}

TEST(Sinks, MessageBoxHookSeesTheRequestAndAnswers)
{
    MessageBoxRequest seen{};
    auto old = SetMessageBoxHook([&](const MessageBoxRequest &r) {
        seen = r;
        return IDNO;
    });
    EXPECT_EQ(MessageBoxA(7, "Save changes?", "", MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(seen.owner, 7u);
    EXPECT_EQ(seen.text, "Save changes?");
    EXPECT_EQ(seen.caption, "");
    EXPECT_EQ(seen.type, MB_YESNOCANCEL | MB_ICONQUESTION);
    SetMessageBoxHook(std::move(old));
}

TEST(Sinks, WithoutAHookTheDefaultButtonAnswersOffscreen)
{
    struct Case {
        UINT type;
        int answer;
    } cases[] = {
        {MB_OK, IDOK},
        {MB_OKCANCEL, IDOK},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_RETRYCANCEL | MB_DEFBUTTON3, IDRETRY}, // past the last button: the first
    };
    for (const Case &c : cases)
        EXPECT_EQ(MessageBoxA(0, "text", "caption", c.type), c.answer) << c.type;
}

} // namespace
