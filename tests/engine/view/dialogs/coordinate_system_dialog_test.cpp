// First: the kernel's headers use a name that Qt's headers define as a macro.
#include "engine/kernel/module_startup.h"
#include "engine/view/projection/unit_table.h"

#include "engine/view/dialogs/coordinate_system_dialog.h"
#include "engine/window/bitmap_push_button.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

class CoordinateSystemTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(MapLibraryStartup(), 1); }
    void TearDown() override { SetModalDialogHook({}); }
};

TEST_F(CoordinateSystemTest, UnitsFollowTheKindAndOkNeedsAListedUnit)
{
    CoordinateSystemModel m(3, 4, 0);
    EXPECT_FALSE(m.Spheric());
    EXPECT_EQ(m.UnitIds(), (std::vector<int>{1, 2, 3, 4, 5, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(m.UnitNames()[size_t(m.UnitPosition())], "meter");
    EXPECT_TRUE(m.CanAccept());

    m.SetSpheric(true);
    EXPECT_EQ(m.UnitIds().size(), 3u) << "the angle units";
    EXPECT_FALSE(m.CanAccept()) << "a length unit is no spheric unit";
    m.ChooseUnit("no such unit");
    EXPECT_FALSE(m.CanAccept());
    m.ChooseUnit(m.UnitNames()[1]);
    EXPECT_TRUE(m.CanAccept());
    EXPECT_EQ(m.Kind(), 4);
    EXPECT_EQ(m.Unit(), m.UnitIds()[1]);

    struct Case {
        int kind;
        bool spheric;
    } kinds[] = {{3, false}, {4, true}, {7, true}, {0, false}};
    for (const Case &c : kinds)
        EXPECT_EQ(CoordinateSystemModel(c.kind, 4, 0).Spheric(), c.spheric) << c.kind;
}

TEST_F(CoordinateSystemTest, DatumsShowTheirEllipsoid)
{
    const std::vector<std::string> names = CoordinateSystemModel::DatumNames();
    ASSERT_GT(names.size(), 40u);
    EXPECT_EQ(names[0], "<None>");
    CoordinateSystemModel m(3, 4, 0);
    EXPECT_EQ(m.Ellipsoid(), "");
    m.ChooseDatum(40);
    EXPECT_EQ(m.Ellipsoid(), "International");
    m.ChooseDatum(5000);
    EXPECT_EQ(m.Ellipsoid(), "") << "a row outside the table";
}

TEST_F(CoordinateSystemTest, TheDialogEditsTheTripleOnlyWhenConfirmed)
{
    int kind = 3, unit = 4, datum = 40;
    bool okAtStart = false, okAfterSwitch = true;
    QString unitShown, ellipsoidShown, picture;
    int unitsAfterSwitch = 0;
    auto answer = [&](QDialog &d, int id, int button) {
        EXPECT_EQ(id, CCoordSystemDlg::kTemplateId);
        EXPECT_EQ(d.windowTitle(), "Coordinate system");
        auto *units = DialogItemAs<QComboBox>(&d, 625);
        auto *ok = DialogItemAs<QPushButton>(&d, IDOK);
        unitShown = units->currentText();
        okAtStart = ok->isEnabled();
        ellipsoidShown = DialogItemAs<QLabel>(&d, 631)->text();
        DialogItemAs<QRadioButton>(&d, 601)->click(); // spheric
        unitsAfterSwitch = units->count();
        okAfterSwitch = ok->isEnabled();
        picture = DialogItemAs<CBitmapPushButton>(&d, 624)->text();
        EXPECT_FALSE(DialogItemAs<CBitmapPushButton>(&d, 624)->CurrentImage().isNull()) << "its picture";
        units->setCurrentIndex(0);
        emit units->activated(0);
        auto *datums = DialogItemAs<QComboBox>(&d, 614);
        datums->setCurrentIndex(0);
        emit datums->activated(0);
        DialogItemAs<QPushButton>(&d, button)->click();
        return d.result();
    };
    SetModalDialogHook([&](QDialog &d, int id) { return answer(d, id, IDCANCEL); });
    EXPECT_EQ(EditCoordinateSystem(&kind, &unit, &datum, 0), IDCANCEL);
    EXPECT_EQ(unitShown, "meter");
    EXPECT_TRUE(okAtStart);
    EXPECT_EQ(ellipsoidShown, "International");
    EXPECT_EQ(unitsAfterSwitch, 3);
    EXPECT_FALSE(okAfterSwitch);
    EXPECT_EQ(picture, "SPHERIC");
    EXPECT_EQ(kind, 3) << "cancel leaves the triple";
    EXPECT_EQ(unit, 4);
    EXPECT_EQ(datum, 40);

    SetModalDialogHook([&](QDialog &d, int id) { return answer(d, id, IDOK); });
    EXPECT_EQ(EditCoordinateSystem(&kind, &unit, &datum, 0), IDOK);
    EXPECT_EQ(kind, 4);
    EXPECT_EQ(unit, CoordinateSystemModel(4, 0, 0).UnitIds()[0]);
    EXPECT_EQ(datum, 0);
    EXPECT_EQ(EditCoordinateSystem(nullptr, &unit, &datum, 0), IDCANCEL);
}

} // namespace
