// SPDX-License-Identifier: MIT
// The monitor window and its settings dialog together: one dialog however
// often it is asked for, Apply and OK changing the window at once, Cancel
// handing the record in force back, the file dialog's folder carried over,
// and nothing stored until the program ends.
#include "FormFixture.h"

#include "../unit/RecordingMessageBox.h"
#include "app/TFormSetting.h"
#include "settings/SettingsRegistry.h"
#include "ui_FormSetting.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace {

class SettingHandOver : public FormFixture {
protected:
    TFormSetting& OpenFromMenu(TFormPLN& w)
    {
        QAction* item = w.PopupMenu()->actions().at(2);
        EXPECT_EQ(item->text(), QStringLiteral("&S・設定"));
        item->trigger();
        TFormSetting* dialog = w.SettingDialog();
        EXPECT_NE(dialog, nullptr);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
        return *dialog;
    }
    static const Ui::FormSetting& c(TFormSetting& d) { return d.Controls(); }

    RecordingMessageBox messages;
};

} // namespace

TEST_F(SettingHandOver, OneDialogWithTheUnitNamesOnce)
{
    TFormPLN& w = Create();
    w.show();
    TFormSetting& first = OpenFromMenu(w);
    EXPECT_EQ(first.windowTitle(), QStringLiteral("ペロリンの設定"));
    first.close();
    EXPECT_FALSE(first.isVisible());

    w.findChild<QPushButton*>(QStringLiteral("ButtonSetting"))->click();
    ASSERT_EQ(w.SettingDialog(), &first);
    EXPECT_TRUE(first.isVisible());
    ASSERT_EQ(c(first).CBoxUnit->count(), 3);
    EXPECT_EQ(c(first).CBoxUnit->itemText(0), QStringLiteral("B"));
    EXPECT_EQ(c(first).CBoxUnit->itemText(2), QStringLiteral("MB"));

    first.showMinimized();
    OpenFromMenu(w);
    EXPECT_FALSE(first.isMinimized());
    EXPECT_EQ(c(first).CBoxUnit->count(), 3);
}

TEST_F(SettingHandOver, ApplyChangesTheWindowAtOnceAndStoresNothing)
{
    TFormPLN& w = Create();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    TFormSetting& d = OpenFromMenu(w);
    EXPECT_EQ(d.CustomSet, w.Settings());

    c(d).CBoxBaseWinStyle->setCurrentIndex(3);
    c(d).CBoxUnit->setCurrentIndex(2);
    QTest::mouseClick(c(d).ButtonApply, Qt::LeftButton);
    EXPECT_EQ(w.Settings().BaseWinStyle, 3);
    EXPECT_EQ(w.CurrentWinStyle(), 3);
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("LabelMemUnit"))->text(), QStringLiteral("[MB]"));
    EXPECT_TRUE(d.isVisible());

    // Cancel now hands back the applied record, not the one from before.
    c(d).CBoxBaseWinStyle->setCurrentIndex(5);
    QTest::mouseClick(c(d).ButtonCancel, Qt::LeftButton);
    EXPECT_EQ(d.CustomSet.BaseWinStyle, 3);
    EXPECT_EQ(w.Settings().BaseWinStyle, 3);

    // Nothing reaches the store before the end.
    TWindowState window;
    TExitState exit;
    TCustomSet stored;
    ReadStoredSetting(store, window, exit, stored);
    EXPECT_EQ(stored.BaseWinStyle, 0);
    w.close();
    ReadStoredSetting(store, window, exit, stored);
    EXPECT_EQ(stored.BaseWinStyle, 3);
    EXPECT_EQ(stored.Unit, 2);
}

// A list left without a selection hands over -1; the window brings it into
// range the way loading does, so nothing indexes past its tables.
TEST_F(SettingHandOver, NoSelectionIsBroughtIntoRange)
{
    TFormPLN& w = Create();
    w.show();
    TFormSetting& d = OpenFromMenu(w);
    c(d).CBoxBaseWinStyle->setCurrentIndex(-1);
    c(d).CBoxUnit->setCurrentIndex(-1);
    QTest::mouseClick(c(d).ButtonOk, Qt::LeftButton);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.CustomSet.BaseWinStyle, -1);
    EXPECT_EQ(w.Settings().BaseWinStyle, TCustomSet{}.BaseWinStyle);
    EXPECT_EQ(w.Settings().Unit, TCustomSet{}.Unit);
    EXPECT_EQ(w.CurrentWinStyle(), 0);
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("LabelMemUnit"))->text(), QStringLiteral("[KB]"));
}

TEST_F(SettingHandOver, TheFileDialogsFolderCarriesOver)
{
    TCustomSet set;
    TExitState exit;
    exit.EHFolder = "/srv/exports";
    SaveSetting(store, 100, 100, false, exit, set);
    TFormPLN& w = Create();
    w.show();
    TFormSetting& d = OpenFromMenu(w);
    EXPECT_EQ(d.InitialFolder(), "/srv/exports");
    d.SetInitialFolder("/srv/elsewhere");
    EXPECT_EQ(w.EHFolder(), "/srv/exports");
    QTest::mouseClick(c(d).ButtonApply, Qt::LeftButton);
    EXPECT_EQ(w.EHFolder(), "/srv/elsewhere");
}

TEST_F(SettingHandOver, TakeSettingAppliesAWholeRecord)
{
    TFormPLN& w = Create();
    w.show();
    TCustomSet set;
    set.BaseWinStyle = 7;
    set.StayOnTop = true;
    set.RegularUpdate = true;
    set.UpdateInterval = 5;
    w.TakeSetting(set, "/tmp");
    EXPECT_EQ(w.Settings(), set);
    EXPECT_EQ(w.EHFolder(), "/tmp");
    EXPECT_EQ(w.CurrentWinStyle(), 7);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(w.IntervalTimer().isActive());
    EXPECT_EQ(w.IntervalTimer().interval(), 5000);
}
