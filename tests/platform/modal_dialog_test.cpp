#include "platform/modal_dialog.h"

#include "platform/message_box.h"

#include <QDialog>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

class ModalDialogTest : public ::testing::Test {
protected:
    void TearDown() override { SetModalDialogHook({}); }
};

TEST_F(ModalDialogTest, WithoutAHookAnOffscreenDialogIsCancelledAtOnce)
{
    QDialog dialog;
    EXPECT_FALSE(CanShowDialogs());
    EXPECT_EQ(RunModalDialog(dialog, 135), IDCANCEL);
}

TEST_F(ModalDialogTest, TheHookFindsControlsByIdentifierAndAnswers)
{
    QDialog dialog;
    auto *edit = new QLineEdit(&dialog);
    SetDialogItemId(edit, 1001);
    int seenTemplate = 0;
    SetModalDialogHook([&](QDialog &d, int id) {
        seenTemplate = id;
        DialogItemAs<QLineEdit>(&d, 1001)->setText("typed");
        return IDOK;
    });
    EXPECT_EQ(RunModalDialog(dialog, 166), IDOK);
    EXPECT_EQ(seenTemplate, 166);
    EXPECT_EQ(edit->text(), "typed");
    EXPECT_EQ(DialogItem(&dialog, 1002), nullptr);
    EXPECT_EQ(DialogItem(nullptr, 1001), nullptr);
}

TEST_F(ModalDialogTest, APlainRejectCountsAsCancel)
{
    QDialog dialog;
    SetModalDialogHook([](QDialog &, int) { return int(QDialog::Rejected); });
    EXPECT_EQ(RunModalDialog(dialog, 1), IDCANCEL);
    SetModalDialogHook([](QDialog &, int) { return 7; });
    EXPECT_EQ(RunModalDialog(dialog, 1), 7) << "a dialog's own end codes pass through";
}

} // namespace
