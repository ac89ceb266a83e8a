#include "projection_fixture.h"

#include "engine/kernel/settings.h"
#include "engine/view/dialogs/projection_wizard.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <cstring>

namespace {

constexpr int kChoice = 168;

class ProjectionWizardTest : public ProjectionDialogTest {
protected:
    // Answers the pages in turn: each entry sees the page and ends it.
    void script(std::vector<std::function<int(QDialog &)>> steps)
    {
        // The platform runs a copy of the hook: the position is kept here.
        next = 0;
        SetModalDialogHook([this, steps](QDialog &d, int id) {
            shown.push_back(id);
            if (next >= steps.size())
                return IDCANCEL;
            return steps[next++](d);
        });
    }

    size_t next = 0;

    static std::vector<std::string> listOf(QDialog &d, int id)
    {
        std::vector<std::string> out;
        if (auto *list = DialogItemAs<QListWidget>(&d, id))
            for (int i = 0; i < list->count(); ++i)
                out.push_back(list->item(i)->text().toStdString());
        if (auto *combo = DialogItemAs<QComboBox>(&d, id))
            for (int i = 0; i < combo->count(); ++i)
                out.push_back(combo->itemText(i).toStdString());
        return out;
    }

    static std::string text(QDialog &d, int id) { return DialogItemAs<QLabel>(&d, id)->text().toStdString(); }

    static std::function<int(QDialog &)> press(int id)
    {
        return [id](QDialog &d) { return click(d, id); };
    }
};

TEST_F(ProjectionWizardTest, SchemesAreStoredReadAndDeleted)
{
    ProjectionScheme s = DefaultProjectionScheme();
    EXPECT_EQ(s.fromRow, kDatumWgs84);
    EXPECT_GT(s.toRow, 0);
    s.name = "Test";
    ASSERT_EQ(StoreProjectionScheme(s), 1);
    EXPECT_EQ(StoredSchemeNames(), std::vector<std::string>{"Test"});
    ProjectionScheme back;
    back.setup2 = "kept";
    ASSERT_TRUE(ReadProjectionScheme("Test", back));
    EXPECT_EQ(back.fromDatum, "WGS-84");
    EXPECT_EQ(back.projection1, "Universal Transverse Mercator (UTM)");
    EXPECT_EQ(back.setup1, "zone=32");
    EXPECT_EQ(back.setup2, "") << "stored empty";
    EXPECT_FALSE(ReadProjectionScheme("Absent", back));

    for (const std::string &bad : {std::string(), std::string("a\\b"), std::string(100, 'n')}) {
        ProjectionScheme b = s;
        b.name = bad;
        EXPECT_EQ(StoreProjectionScheme(b), 0) << "'" << bad << "'";
    }
    EXPECT_EQ(StoredSchemeNames(), std::vector<std::string>{"Test"}) << "nothing else written";
    EXPECT_TRUE(DeleteProjectionScheme("Test"));
    EXPECT_TRUE(StoredSchemeNames().empty());
    EXPECT_FALSE(DeleteProjectionScheme(""));
}

TEST_F(ProjectionWizardTest, NewOnTheDefaultSchemeStoresItUnderANewName)
{
    std::vector<std::string> entries, step2, step3;
    std::string fromShown, toShown, info1236, nameShown;
    bool editOnDefault = false;
    script({
        [&](QDialog &d) {
            entries = listOf(d, 1198);
            EXPECT_FALSE(DialogItem(&d, 1227)->isVisibleTo(&d)) << "standing alone: no Next";
            EXPECT_FALSE(DialogItem(&d, 1228)->isVisibleTo(&d));
            auto *list = DialogItemAs<QListWidget>(&d, 1198);
            list->setCurrentRow(
                int(std::find(entries.begin(), entries.end(), "Default Scheme") - entries.begin()));
            editOnDefault = DialogItem(&d, 1195)->isEnabled();
            EXPECT_EQ(text(d, 1246), "Datum shift ");
            return click(d, 1195); // Edit on the default: nothing
        },
        [&](QDialog &d) { return click(d, 1194); }, // New
        [&](QDialog &d) {
            fromShown = DialogItemAs<QComboBox>(&d, 1203)->currentText().toStdString();
            toShown = DialogItemAs<QComboBox>(&d, 1204)->currentText().toStdString();
            info1236 = text(d, 1236);
            return click(d, 1227);
        },
        [&](QDialog &d) {
            step2 = listOf(d, 1233);
            return click(d, 1227);
        },
        [&](QDialog &d) {
            step3 = listOf(d, 1233);
            return click(d, 1227);
        },
        [&](QDialog &d) {
            nameShown = DialogItemAs<QLineEdit>(&d, 1235)->text().toStdString();
            EXPECT_FALSE(DialogItem(&d, 1227)->isEnabled());
            return click(d, 1231); // Finish
        },
    });
    char name[128] = "";
    EXPECT_EQ(ProjectionWizard(window, name, 0), 0);
    EXPECT_EQ(entries, (std::vector<std::string>{"< None >", "Default Scheme"}));
    EXPECT_TRUE(editOnDefault);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), kChoice), 2)
        << "Edit on the default showed the page again";
    EXPECT_EQ(fromShown, "WGS-84");
    EXPECT_EQ(toShown, "European_1950");
    EXPECT_EQ(info1236, "Step 1, Datum Shift : ");
    EXPECT_EQ(step2, (std::vector<std::string>{"< VOID >", "Datum Shift Test", "No Inversion Test",
                                               "Dansk Cartesian Test", "Spheric To Cartesian Test"}));
    EXPECT_EQ(step3, (std::vector<std::string>{"< VOID >", "Dansk Cartesian Test"}))
        << "only cartesian input with Dansk in the name";
    EXPECT_EQ(nameShown, "Default Scheme_1");
    EXPECT_STREQ(name, "Default Scheme_1");
    EXPECT_EQ(StoredSchemeNames(), std::vector<std::string>{"Default Scheme_1"});
    ProjectionScheme stored;
    ASSERT_TRUE(ReadProjectionScheme("Default Scheme_1", stored));
    EXPECT_EQ(stored.fromDatum, "WGS-84");
    EXPECT_EQ(stored.toDatum, "European_1950");
    EXPECT_EQ(stored.projection1, " < No Projection >") << "the UTM module is not installed here";
}

TEST_F(ProjectionWizardTest, NewOnNoneTakesTheNameTypedAndTheModulesChosen)
{
    script({
        press(1194),
        press(1227),
        [](QDialog &d) {
            auto *list = DialogItemAs<QComboBox>(&d, 1233);
            list->setCurrentIndex(list->findText("Datum Shift Test"));
            EXPECT_TRUE(DialogItem(&d, 1207)->isEnabled());
            DialogItemAs<QPushButton>(&d, 1207)->click(); // Setup
            EXPECT_EQ(DialogItemAs<QLabel>(&d, 1240)->text(), "Datum Shift Test");
            return click(d, 1227);
        },
        [](QDialog &d) {
            auto *list = DialogItemAs<QComboBox>(&d, 1233);
            list->setCurrentIndex(1);
            return click(d, 1227);
        },
        [](QDialog &d) {
            DialogItemAs<QLineEdit>(&d, 1235)->setText("My Scheme");
            EXPECT_EQ(DialogItemAs<QLabel>(&d, 1244)->text(), "My Scheme");
            return click(d, 1231);
        },
    });
    char name[128] = "< None >";
    EXPECT_EQ(ProjectionWizard(window, name, 0), 0);
    EXPECT_STREQ(name, "My Scheme");
    EXPECT_EQ(StoredSchemeNames(), std::vector<std::string>{"My Scheme"}) << "< None > is never stored";
    ProjectionScheme s;
    ASSERT_TRUE(ReadProjectionScheme("My Scheme", s));
    EXPECT_EQ(s.projection1, "Datum Shift Test");
    EXPECT_EQ(s.setup1, "after setup");
    EXPECT_EQ(s.projection2, "Dansk Cartesian Test");
    EXPECT_EQ(s.fromDatum, "<None>") << "step 1 takes the table's name of row 0";
}

TEST_F(ProjectionWizardTest, CancelInAStepStoresNothingAndBackReturnsToTheChoice)
{
    script({press(1194), press(1228), press(1194), press(1227), press(IDCANCEL)});
    char name[128] = "";
    EXPECT_EQ(ProjectionWizard(window, name, 0), -1);
    EXPECT_TRUE(StoredSchemeNames().empty());
    EXPECT_EQ(shown, (std::vector<int>{168, 169, 168, 169, 170}));
}

TEST_F(ProjectionWizardTest, EmbeddedTheChoicePageGoesOnOrBack)
{
    ProjectionScheme s = DefaultProjectionScheme();
    s.name = "Kept";
    ASSERT_EQ(StoreProjectionScheme(s), 1);
    char name[128] = "Kept";
    std::vector<std::string> entries;
    script({[&](QDialog &d) {
        entries = listOf(d, 1198);
        EXPECT_EQ(DialogItemAs<QListWidget>(&d, 1198)->currentItem()->text(), "Kept");
        EXPECT_TRUE(DialogItem(&d, 1227)->isVisibleTo(&d));
        return click(d, 1227);
    }});
    EXPECT_EQ(ProjectionWizard(window, name, 1), 1);
    EXPECT_EQ(entries, (std::vector<std::string>{"< None >", "Kept"})) << "two entries: no default scheme";
    script({press(1228)});
    EXPECT_EQ(ProjectionWizard(window, name, 1), 2);
    // "Next >" on "< None >" finishes.
    script({[](QDialog &d) {
        DialogItemAs<QListWidget>(&d, 1198)->setCurrentRow(0);
        DialogItemAs<QPushButton>(&d, 1227)->click();
        return d.result();
    }});
    EXPECT_EQ(ProjectionWizard(window, name, 1), 0);
    EXPECT_STREQ(name, "< None >");
}

TEST_F(ProjectionWizardTest, EditStoresTheChangedSchemeAndDeleteRemovesOne)
{
    ProjectionScheme s = DefaultProjectionScheme();
    s.name = "Alpha";
    ASSERT_EQ(StoreProjectionScheme(s), 1);
    s.name = "Beta";
    ASSERT_EQ(StoreProjectionScheme(s), 1);
    char name[128] = "Alpha";
    script({
        press(1195),
        [](QDialog &d) {
            DialogItemAs<QComboBox>(&d, 1204)->setCurrentIndex(40);
            return click(d, 1231);
        },
    });
    EXPECT_EQ(ProjectionWizard(window, name, 0), 0);
    ProjectionScheme alpha;
    ASSERT_TRUE(ReadProjectionScheme("Alpha", alpha));
    EXPECT_EQ(alpha.toDatum, ProjectionWizardModel::DatumNames()[40]) << "an edit is kept under its name";

    std::vector<std::string> after;
    script({[&](QDialog &d) {
        auto *list = DialogItemAs<QListWidget>(&d, 1198);
        list->setCurrentItem(list->findItems("Beta", Qt::MatchExactly).first());
        DialogItemAs<QPushButton>(&d, 1196)->click();
        after = listOf(d, 1198);
        EXPECT_EQ(list->currentRow(), 0);
        EXPECT_FALSE(DialogItem(&d, 1195)->isEnabled()) << "< None > cannot be edited";
        return click(d, IDCANCEL);
    }});
    EXPECT_EQ(ProjectionWizard(window, name, 0), -1);
    EXPECT_EQ(after, (std::vector<std::string>{"< None >", "Alpha"}));
    EXPECT_EQ(StoredSchemeNames(), std::vector<std::string>{"Alpha"});
}

TEST_F(ProjectionWizardTest, TheNameHandedBackFitsTheCallersField)
{
    bool finishWhenEmpty = true, finishWithBackslash = true;
    char name[kSchemeNameMax + 1] = "";
    script({press(1194), press(1227), press(1227), press(1227), [&](QDialog &d) {
                auto *edit = DialogItemAs<QLineEdit>(&d, 1235);
                edit->setText("");
                finishWhenEmpty = DialogItem(&d, 1231)->isEnabled();
                edit->setText("a\\b");
                finishWithBackslash = DialogItem(&d, 1231)->isEnabled();
                edit->setText(QString(300, QLatin1Char('n')));
                return click(d, 1231);
            }});
    EXPECT_EQ(ProjectionWizard(window, name, 0), 0);
    EXPECT_FALSE(finishWhenEmpty);
    EXPECT_FALSE(finishWithBackslash);
    EXPECT_EQ(std::strlen(name), SchemeNameKeyMax()) << "the field takes no more than a key can hold";
    EXPECT_EQ(StoredSchemeNames(), std::vector<std::string>{name}) << "and the scheme is stored";
    EXPECT_LE(SchemeNameKeyMax(), kSchemeNameMax);
}

} // namespace
