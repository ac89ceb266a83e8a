// What the tool framework's tests share: the catalogue form, a tool manager
// over a map on the fake or the real control, the trace log, the clipboard
// and a tool with a tab of its own.
#pragma once

#include "tests/editor/shell/map/map_fixture.h"

#include "editor/shell/catalogue/tool_catalogue.h"
#include "editor/shell/support/global.h"
#include "editor/shell/support/tracer_form.h"
#include "editor/shell/tools/tool_framework.h"
#include "editor/shell/tools/undo_redo_tools.h"

#include "platform/clipboard.h"
#include "platform/gdi_objects.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// The catalogue form, made once: it loads every glyph of the editor. It
// stays until the program ends, after the application object.
inline TfrmButtons &Catalogue()
{
    static TfrmButtons *form = new TfrmButtons;
    return *form;
}

// The program's trace log, in a folder of its own, for one scope.
class TraceLog {
public:
    TraceLog()
    {
        Global().StartLog(dir_.path().toStdString());
        Global().Tracer()->Model().SetMessagePump({});
    }
    ~TraceLog() { Global().StopLog(); }
    const std::vector<std::string> &Lines() const { return Global().Tracer()->Model().Lines(); }
    // Whether a line ends with the text.
    bool Has(const std::string &text) const
    {
        for (const std::string &line : Lines())
            if (line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0)
                return true;
        return false;
    }

private:
    QTemporaryDir dir_;
};

// Empties the clipboard, then puts a small bitmap on it when asked.
inline void SetClipboardBitmap(bool bitmap)
{
    ASSERT_TRUE(OpenClipboard(0));
    ASSERT_TRUE(EmptyClipboard());
    if (bitmap) {
        ASSERT_NE(SetClipboardData(CF_BITMAP, CreateBitmapOfSize(4, 3)), 0u);
    }
    ASSERT_TRUE(CloseClipboard());
}

// A tool button of an id that lives as long as the test.
inline std::unique_ptr<TToolBtn> Button(uint8_t id)
{
    auto b = std::make_unique<TToolBtn>();
    b->Id = id;
    return b;
}

// A tool with a tab of its own that records what the framework asks of it.
// Its sub-button 201 follows the tool's own enable flag.
class RecordingUITool : public TORVUITool {
public:
    RecordingUITool(TToolMgr &mgr, uint8_t id) : TORVUITool(mgr, id) {}

    void BuildUI() override
    {
        ++builds;
        TORVUITool::BuildUI();
    }
    void Refresh() override
    {
        ++refreshes;
        TORVUITool::Refresh();
    }
    bool GetState(uint8_t id, bool &owned) override
    {
        if (id == kSubButton) {
            owned = true;
            return subButtonEnabled;
        }
        return TORVUITool::GetState(id, owned);
    }
    void MapMouse(TPMap &map) override
    {
        mouseEvents.push_back(map.MouseArgs.EventId);
        TORVUITool::MapMouse(map);
    }

    static constexpr uint8_t kSubButton = 131;
    int builds = 0;
    int refreshes = 0;
    bool subButtonEnabled = false;
    std::vector<int32_t> mouseEvents;
};

// A tool manager over a map on one control kind. The map goes before the
// manager, as the manager requires.
class ToolsTest : public MapTest {
protected:
    void SetUp() override
    {
        MapTest::SetUp();
        if (IsSkipped())
            return;
        mgr = std::make_unique<TToolMgr>(Catalogue());
        mgr->SetMap(map.get());
    }
    void TearDown() override
    {
        MapTest::TearDown();
        mgr.reset();
    }

    // A polygon or polyline square at (x, y), selected when asked.
    IKrtObject Square(int32_t x, int32_t y, bool select, bool polygon = false)
    {
        IKrtObject o = Poly({{x, y}, {x + 100, y}, {x + 100, y + 100}, {x, y + 100}}, !polygon);
        if (select)
            o.PutIsSelected(true);
        return o;
    }

    std::unique_ptr<TToolMgr> mgr;
};
