#include "projection_fixture.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/undo.h"
#include "engine/window/undo_window.h"
#include "platform/global_memory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>

namespace {

// A model over a work record of its own, for the rules without a window.
struct ModelBench {
    ProjectionTag work{};
    ProjectionDialogContext ctx;
    HGLOBAL list = ProjMan_GetProjectionList();
    ModelBench()
    {
        ProjMan_InitProjection(&work);
        ProjMan_SetDefaultUnits(&work);
        ctx.work = &work;
        ctx.projectionList = list ? static_cast<const char *>(GlobalLock(list)) : nullptr;
    }
    ~ModelBench()
    {
        ProjMan_FreeProjection(&work);
        if (list) {
            GlobalUnlock(list);
            GlobalFree(list);
        }
    }
};

using ProjectionsModelTest = ProjectionDialogTest;

TEST_F(ProjectionsModelTest, OkFollowsTheKindsOfBothSystemsAndOfTheModule)
{
    struct Case {
        int base, transformed;
        const char *module; // null: none
        bool ok;
    } cases[] = {
        {4, 4, nullptr, true},  {4, 4, "dlg_datum_shift", true}, {4, 4, "dlg_dansk", false},
        {4, 3, nullptr, false}, {4, 3, "dlg_spheric", true},     {4, 3, "dlg_dansk", false},
        {3, 3, nullptr, true},  {3, 3, "dlg_dansk", true},       {3, 3, "dlg_datum_shift", false},
    };
    for (const Case &c : cases) {
        ModelBench b;
        b.work.baseKind = c.base;
        b.work.transformedKind = c.transformed;
        if (c.module) {
            ASSERT_EQ(ProjMan_LoadProjection(modulePath(c.module).c_str(), &b.work), 1) << c.module;
        }
        ProjectionsModel m(b.ctx);
        EXPECT_EQ(m.CanAccept(), c.ok)
            << c.base << "/" << c.transformed << " " << (c.module ? c.module : "-");
    }
}

TEST_F(ProjectionsModelTest, TextsShowKindsUnitsModuleAndDatumShift)
{
    ModelBench b;
    b.work.baseKind = 4;
    b.work.baseDatum = 116;
    b.work.transformedDatum = 40;
    ProjectionsModel m(b.ctx);
    EXPECT_EQ(m.KindText(true), "Spheric");
    EXPECT_EQ(m.KindText(false), "Cartesian");
    EXPECT_EQ(m.ModuleText(), " < No Projection >");
    EXPECT_EQ(m.UnitName(false), "meter");
    EXPECT_EQ(m.DatumLines(), (std::pair<std::string, std::string>{}));
    ASSERT_EQ(ProjMan_LoadProjection(modulePath("dlg_datum_shift").c_str(), &b.work), 1);
    EXPECT_EQ(m.ModuleText(), "Datum Shift Test");
    const auto lines = m.DatumLines();
    EXPECT_EQ(lines.first.rfind("From ", 0), 0u);
    EXPECT_EQ(lines.first.size() > 5, true);
    EXPECT_EQ(lines.second.rfind("To ", 0), 0u);
    ProjMan_FreeProjection(&b.work);
    ASSERT_EQ(ProjMan_LoadProjection(modulePath("dlg_spheric").c_str(), &b.work), 1);
    EXPECT_EQ(m.DatumLines(), (std::pair<std::string, std::string>{})) << "only a spheric-to-spheric module";

    EXPECT_EQ(m.LengthUnitNames()[size_t(m.LengthUnitPosition())], "kilometer");
    m.LengthUnitChosen("meter");
    EXPECT_EQ(b.work.lengthUnit, 4);
    m.AreaUnitChosen("hectare");
    EXPECT_EQ(b.ctx.changeFlags, PROJCHANGE_LENGTH_UNIT | PROJCHANGE_AREA_UNIT);
    m.AreaUnitChosen("no such unit");
    EXPECT_EQ(b.ctx.changeFlags, PROJCHANGE_LENGTH_UNIT | PROJCHANGE_AREA_UNIT);
}

TEST_F(ProjectionsModelTest, SelectingListsSortedModulesAndSetsTheFlagsOutright)
{
    ModelBench b;
    b.ctx.changeFlags = PROJCHANGE_SYSTEM;
    SelectProjectionModel s(b.ctx);
    EXPECT_EQ(s.Entries(),
              (std::vector<std::string>{" < No Projection >", "Dansk Cartesian Test", "Datum Shift Test",
                                        "No Inversion Test", "Spheric To Cartesian Test"}));
    EXPECT_EQ(s.Current(), " < No Projection >");
    EXPECT_FALSE(s.CanSetup());
    s.Choose("Datum Shift Test");
    EXPECT_EQ(s.Current(), "Datum Shift Test");
    EXPECT_TRUE(s.CanSetup());
    EXPECT_EQ(b.ctx.changeFlags, PROJCHANGE_MODULE) << "set to 1 outright";
    b.ctx.changeFlags = 0;
    s.Choose("A module that is not there");
    EXPECT_EQ(s.Current(), "Datum Shift Test") << "the record keeps its module";
    EXPECT_EQ(b.ctx.changeFlags, 0);
    s.Setup(window);
    EXPECT_EQ(b.ctx.changeFlags, PROJCHANGE_MODULE);
    s.Choose(" < No Projection >");
    EXPECT_EQ(b.work.hLib, 0u);

    ProjectionDialogContext none;
    none.work = &b.work;
    EXPECT_EQ(SelectProjectionModel(none).Entries(), (std::vector<std::string>{" < No Projection >"}))
        << "no projection list";
}

TEST_F(ProjectionsModelTest, ConfirmingWithoutChangesOrCancellingLeavesTheView)
{
    const ProjectionTag before = *view;
    answers[CProjectionsDlg::kTemplateId] = [](QDialog &d) { return click(d, IDOK); };
    EXPECT_EQ(ProjMan_SelectProjection(view, window), 0);
    answers[CProjectionsDlg::kTemplateId] = [](QDialog &d) { return click(d, IDCANCEL); };
    EXPECT_EQ(ProjMan_SelectProjection(view, window), 0);
    EXPECT_EQ(view->hLib, before.hLib);
    EXPECT_EQ(view->baseUnit, before.baseUnit);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), CProjectionsDlg::kTemplateId), 2);
}

TEST_F(ProjectionsModelTest, ChangingOnlyACoordinateSystemReturnsEight)
{
    view->transformedUnit = 4;
    answers[140] = [](QDialog &d) {
        auto *units = DialogItemAs<QComboBox>(&d, 625);
        units->setCurrentIndex(0); // micrometer
        emit units->activated(0);
        return click(d, IDOK);
    };
    answers[CProjectionsDlg::kTemplateId] = [](QDialog &d) {
        DialogItemAs<QAbstractButton>(&d, 625)->click();
        EXPECT_EQ(DialogItemAs<QLabel>(&d, 622)->text(), "micrometer");
        return click(d, IDOK);
    };
    rec.flags = 0;
    EXPECT_EQ(ProjMan_SelectProjection(view, window), PROJCHANGE_SYSTEM);
    EXPECT_EQ(view->transformedUnit, 1);
    EXPECT_TRUE(rec.flags & WNDRES_MODIFIED);
}

TEST_F(ProjectionsModelTest, ASpheresModuleNeedsBothSystemsSphericBeforeOk)
{
    bool okBefore = true, okAfter = false;
    answers[CSelectProjectionDlg::kTemplateId] = [](QDialog &d) {
        auto *list = DialogItemAs<QListWidget>(&d, 600);
        list->setCurrentItem(list->findItems("Datum Shift Test", Qt::MatchExactly).first());
        EXPECT_EQ(DialogItemAs<QLabel>(&d, 605)->text(), "Datum Shift Test");
        EXPECT_TRUE(DialogItem(&d, 603)->isEnabled());
        return click(d, IDOK);
    };
    answers[140] = [](QDialog &d) {
        DialogItemAs<QAbstractButton>(&d, 601)->click(); // spheric
        auto *units = DialogItemAs<QComboBox>(&d, 625);
        units->setCurrentIndex(0);
        emit units->activated(0);
        return click(d, IDOK);
    };
    QString from, to;
    answers[CProjectionsDlg::kTemplateId] = [&](QDialog &d) {
        click(d, 610);
        okBefore = DialogItem(&d, IDOK)->isEnabled();
        DialogItemAs<QAbstractButton>(&d, 624)->click();
        DialogItemAs<QAbstractButton>(&d, 625)->click();
        okAfter = DialogItem(&d, IDOK)->isEnabled();
        from = DialogItemAs<QLabel>(&d, 631)->text();
        to = DialogItemAs<QLabel>(&d, 632)->text();
        return click(d, IDOK);
    };
    EXPECT_EQ(ProjMan_SelectProjection(view, window), PROJCHANGE_MODULE | PROJCHANGE_SYSTEM);
    EXPECT_FALSE(okBefore);
    EXPECT_TRUE(okAfter);
    EXPECT_TRUE(from.startsWith("From "));
    EXPECT_TRUE(to.startsWith("To "));
    EXPECT_NE(view->hLib, 0u) << "the view has the module now";
    EXPECT_EQ(view->baseKind, 4);
}

TEST_F(ProjectionsModelTest, ANoInversionModuleConvertsTheDocumentForGood)
{
    // A small document: one polyline of two points, and an undo step.
    rec.undoEnabled = 1;
    OBJectKernel *kernel = rec.kernel;
    const OBJHANDLE layer = GetActiveLayer(kernel, GetRootOBJKern(kernel, rec.rootObject, CLASS_LAYERS));
    const OBJHANDLE line = CreateOBJect(kernel, CLASS_POLYLINE);
    MAP_COORDPT pts[2] = {{10, 20}, {300, 400}};
    TransferOBJectData(kernel, line, pts, sizeof pts, 1);
    StoreField(OBJectLock(kernel, line), PS_COUNT, uint32_t(2));
    _COORDRECT r{10, 20, 300, 400};
    SendOBJectMessage(kernel, line, line, 0, GRM_SETBOUNDRECT, 0, LPARAM(&r));
    ASSERT_NE(InsertLayerRef(kernel, line, layer), OBJ_INVALID);
    ASSERT_EQ(Undo_AddNew(kernel, line), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, 3), 1);
    ASSERT_EQ(Undo_UndoStepsCount(window), 1);
    view->transformedDatum = 40;

    bool permanentLocked = false;
    answers[CSelectProjectionDlg::kTemplateId] = [](QDialog &d) {
        auto *list = DialogItemAs<QListWidget>(&d, 600);
        list->setCurrentItem(list->findItems("No Inversion Test", Qt::MatchExactly).first());
        EXPECT_FALSE(DialogItem(&d, 603)->isEnabled()) << "no set-up";
        return click(d, IDOK);
    };
    answers[CProjectionsDlg::kTemplateId] = [&](QDialog &d) {
        click(d, 610);
        auto *permanent = DialogItemAs<QCheckBox>(&d, 614);
        permanentLocked = permanent->isChecked() && !permanent->isEnabled();
        return click(d, IDOK);
    };
    const int result = ProjMan_SelectProjection(view, window);
    EXPECT_TRUE(result & PROJCHANGE_MODULE);
    EXPECT_TRUE(permanentLocked) << "forced on and disabled";

    MAP_COORDPT now[2] = {};
    TransferOBJectData(kernel, line, now, sizeof now, 0);
    EXPECT_EQ(now[0].x, 1010);
    EXPECT_EQ(now[0].y, 2020);
    EXPECT_EQ(now[1].x, 1300);
    EXPECT_EQ(now[1].y, 2400);
    EXPECT_EQ(Undo_UndoStepsCount(window), 0) << "the history is reset";
    EXPECT_EQ(view->hLib, 0u) << "the view shows the converted coordinates unchanged";
    EXPECT_EQ(view->baseKind, view->transformedKind);
    EXPECT_EQ(view->baseUnit, view->transformedUnit);
    EXPECT_EQ(view->baseDatum, 40) << "the datum of the transformed system";
    EXPECT_TRUE(rec.flags & WNDRES_MODIFIED);
}

} // namespace
