// The controls the editor's map tests run against: the fake control always,
// the real one where the build has it. Each test gets its own registry in
// which only the chosen control's library is registered, and a tab widget
// to host the control on.
#pragma once

#include "editor/shell/map/tpmap.h"
#include "tests/editor/fake_control/fake_control_ids.h"

#include "platform/automation_server.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdlib>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

enum class ControlKind { Fake, Real };

inline std::string KindName(const ::testing::TestParamInfo<ControlKind> &info)
{
    return info.param == ControlKind::Fake ? "Fake" : "Real";
}

inline std::vector<ControlKind> ControlKinds()
{
#ifdef MAP_REAL_CONTROL
    return {ControlKind::Fake, ControlKind::Real};
#else
    return {ControlKind::Fake};
#endif
}

// Registers the library of a control in the current registry; the empty
// text on success, else why not.
inline std::string RegisterControl(ControlKind kind)
{
    const char *path = MAP_FAKE_CONTROL;
#ifdef MAP_REAL_CONTROL
    if (kind == ControlKind::Real)
        path = MAP_REAL_CONTROL;
#else
    if (kind == ControlKind::Real)
        return "the build has no real control";
#endif
    void *library = dlopen(path, RTLD_NOW | RTLD_NODELETE);
    if (!library)
        return std::string("cannot load ") + path;
    auto reg = reinterpret_cast<DllRegisterServerFunction>(dlsym(library, "DllRegisterServer"));
    if (!reg || FAILED(reg()))
        return std::string("cannot register ") + path;
    return {};
}

inline CLSID ClassOf(ControlKind kind)
{
    return kind == ControlKind::Fake ? kFakeMapClsid : kMapControlClsid;
}

// The members of the control's object model that TPMap needs.
inline const std::vector<std::string> &ObjectModelMembers()
{
    static const std::vector<std::string> names = {"MapObjects", "MapLayers", "Selection", "Page",
                                                   "UndoRedo"};
    return names;
}

// Which of the names the control lacks, as "A, B"; empty when it has all.
inline std::string MissingMembers(const IMap &map, const std::vector<std::string> &names)
{
    std::string missing;
    for (const std::string &n : names)
        if (!map.HasMember(n))
            missing += (missing.empty() ? "" : ", ") + n;
    return missing;
}

// What a control kind lacks of the object model, asked once per program:
// creating the real control takes long.
inline std::string MissingObjectModel(ControlKind kind)
{
    static std::map<ControlKind, std::string> missing;
    if (!missing.count(kind))
        missing[kind] = MissingMembers(IMap::Create(ClassOf(kind)), ObjectModelMembers());
    return missing[kind];
}

// Gives the tests of a control kind their registry and profile folders, in
// which only that control's library is registered. Registering writes many
// keys, so each kind's folders are made once per program.
inline std::string UseRegistryOf(ControlKind kind)
{
    struct Folders {
        QTemporaryDir dir;
        std::string registered;
    };
    static std::map<ControlKind, std::unique_ptr<Folders>> folders;
    auto &f = folders[kind];
    const bool fresh = !f;
    if (fresh)
        f = std::make_unique<Folders>();
    setenv("MAP_REGISTRY_DIR", (f->dir.path() + "/registry").toLocal8Bit().constData(), 1);
    setenv("MAP_PROFILE_DIR", (f->dir.path() + "/profiles").toLocal8Bit().constData(), 1);
    if (fresh)
        f->registered = RegisterControl(kind);
    return f->registered;
}

// A test over one control kind: its registry and a tab.
class ControlTest : public ::testing::TestWithParam<ControlKind> {
protected:
    void SetUp() override
    {
        const std::string why = UseRegistryOf(GetParam());
        if (!why.empty())
            GTEST_SKIP() << why;
        tab = std::make_unique<QWidget>();
        tab->resize(400, 300);
    }
    void TearDown() override { tab.reset(); }

    std::unique_ptr<QWidget> tab;
};

// Skips a test on the real control where it answers otherwise than the
// control's members promise; each such difference is a fault to mend in the
// control, and the skip goes with it.
#define SKIP_WHERE_REAL_DIFFERS(why)                                                                         \
    do {                                                                                                     \
        if (GetParam() == ControlKind::Real)                                                                 \
            GTEST_SKIP() << "the real control differs: " << why;                                             \
    } while (0)

// A test over a TPMap on one control kind; skipped where the control lacks
// the object model.
class MapTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        if (IsSkipped())
            return;
        const std::string missing = MissingObjectModel(GetParam());
        if (!missing.empty())
            GTEST_SKIP() << "the control has no " << missing
                         << " yet: they land with its automation object model";
        map = std::make_unique<TPMap>(tab.get(), ClassOf(GetParam()));
        // The editor's documents keep centimetres, as its templates do; a new
        // control's map is in metres, where a map-locked text's height and
        // the page's extents are whole metres.
        map->Control().UnitsSet(1, kUnitCentimetre);
        map->Control().UnitsSet(2, kUnitCentimetre);
        map->SetPageScale(2500.0);
    }
    static constexpr int32_t kUnitCentimetre = 3;
    void TearDown() override
    {
        map.reset();
        ControlTest::TearDown();
    }

    // Makes the next call of the fake control's document throw.
    void FailNext(int32_t code, const std::string &text)
    {
        map->Control().Call("FakeFailNext", {VariantFromLong(code), VariantFromString(text)});
    }
    bool IsFake() const { return GetParam() == ControlKind::Fake; }

    // A mouse message on the control's widget at a pixel.
    void Mouse(QEvent::Type type, Qt::MouseButton button, QPoint at = {20, 30})
    {
        QWidget *w = map->Widget();
        ASSERT_NE(w, nullptr);
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }

    IKrtObject Poly(std::initializer_list<std::pair<int32_t, int32_t>> points, bool polyline,
                    const IKrtObject &layer = {})
    {
        const IKrtPoly p = IKrtPoly::New();
        for (auto [x, y] : points)
            p.Points().AddXY(x, y);
        p.PutIsPolyline(polyline);
        return map->AddPoly(p, layer);
    }

    std::unique_ptr<TPMap> map;
};

// Records the map events it hears, in order; each number has its own method.
struct EventLog {
    template <int N>
    void On(TPMap &sender)
    {
        events.push_back(N);
        commands.push_back(sender.Command);
    }
    template <int... N>
    void Hear(TPMap &map, std::integer_sequence<int, N...>)
    {
        (map.Subscribe<&EventLog::On<N>>(N, this), ...);
    }
    // Subscribes to every map event.
    void HearAll(TPMap &map)
    {
        Hear(map, std::integer_sequence<int, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16>());
    }
    std::vector<int> events;
    std::vector<int32_t> commands; // TPMap::Command when each was heard
};
