// The engine's notification messages become the control's events, in
// order, on the thread that handles them.
#include "control_fixture.h"

#include "engine/kernel/map_notify_codes.h"
#include "engine/window/map_notifications.h"
#include "platform/window.h"

namespace {

using Events = std::vector<RecordedEvent>;

TEST_F(ControlTest, EngineNotificationsBecomeEvents)
{
    struct Case {
        UINT msg;
        WPARAM w;
        LPARAM l;
        LRESULT answer;
        Events events;
    };
    const Case cases[] = {
        {MAPN_PROGRESS, 2, 40, 0, {{EVENT_PROGRESS, {2, 40}}}},
        {MAPN_UNDOREDOSTATE,
         1,
         3,
         0,
         {{EVENT_COMMANDSTATECHANGED, {459, 4}}, {EVENT_COMMANDSTATECHANGED, {460, 4}}}},
        {MAPN_UNDOREDOSTATE,
         2,
         4,
         0,
         {{EVENT_COMMANDSTATECHANGED, {461, 8}}, {EVENT_COMMANDSTATECHANGED, {462, 8}}}},
        {MAPN_PASTESTATE, 2, 4, 0, {{EVENT_COMMANDSTATECHANGED, {449, 4}}}},
        {MAPN_PASTESTATE,
         1,
         3,
         0,
         {{EVENT_COMMANDSTATECHANGED, {448, 4}},
          {EVENT_COMMANDSTATECHANGED, {458, 4}},
          {EVENT_COMMANDSTATECHANGED, {449, 4}}}},
        {MAPN_PASTESTATE,
         2,
         3,
         0,
         {{EVENT_COMMANDSTATECHANGED, {448, 8}},
          {EVENT_COMMANDSTATECHANGED, {458, 8}},
          {EVENT_COMMANDSTATECHANGED, {449, 8}}}},
        {MAPN_UNDOREDOCAPTION, 3, 203, 0, {{EVENT_UNDOREDOCAPTION, {3, 203}}}},
        {MAPN_SELCOUNT, 5, 0, 0, {{EVENT_SELECTIONCHANGED, {5}}}},
        {MAPN_REPAINT, 0, 0, 1, {}},
        {MAPN_HELP, 0, 1234, 0, {{EVENT_HELPCALL, {1234}}}},
        {MAPN_GPSREINIT, 0, 0, 0, {{EVENT_GPSREINITSETTING, {}}}},
        {MAPN_GPSSTOP, 0, 0, 0, {{EVENT_GPSSTOP, {}}}},
        {MAPN_LISTCHANGED, 0, 0, 0, {}},
        {WM_USER + 0x102, 0, 0, 0, {}},
    };
    for (const Case &c : cases) {
        sink->events.clear();
        EXPECT_EQ(SendMessageA(hwnd(), c.msg, c.w, c.l), c.answer) << c.msg;
        EXPECT_EQ(sink->events, c.events) << c.msg;
    }
    // A help request from the engine arrives as HelpCall.
    sink->events.clear();
    EXPECT_EQ(GormF1Help(hwnd(), 77), 1);
    EXPECT_EQ(sink->events, (Events{{EVENT_HELPCALL, {77}}}));
}

TEST_F(ControlTest, ASinkThatUnadvisesDuringAnEventStopsHearing)
{
    sink->onEvent = [&](const RecordedEvent &) {
        ComPtr<IConnectionPoint> point;
        object->FindConnectionPoint(kIMapEventsIid, point.put());
        point->Unadvise(cookie);
    };
    sink->events.clear();
    SendMessageA(hwnd(), MAPN_UNDOREDOSTATE, 1, 3);
    EXPECT_EQ(sink->events.size(), 1u) << "the second event of the pair finds no sink";
    SendMessageA(hwnd(), MAPN_SELCOUNT, 1, 0);
    EXPECT_EQ(sink->events.size(), 1u);
}

} // namespace
