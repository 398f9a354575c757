// SPDX-License-Identifier: MIT
// The settings dialog on Qt's offscreen platform, with a stand-in for the
// monitor window that takes and hands back the record the way it does.
#include "../unit/RecordingLauncher.h"
#include "../unit/RecordingMessageBox.h"
#include "app/TFormSetting.h"
#include "app/TSettingTarget.h"
#include "components/TStrokeBar.h"
#include "ui_FormSetting.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Holds the record in force: takes the dialog's on apply, hands its own back
// on revert, and counts both.
class FakeMonitor : public TSettingTarget {
public:
    explicit FakeMonitor(TFormSetting& dialog) : dialog_(dialog) {}
    void UMApplySetting() override
    {
        inForce = dialog_.CustomSet;
        ++applies;
    }
    void UMRevertSetting() override
    {
        dialog_.CustomSet = inForce;
        ++reverts;
    }
    TCustomSet inForce;
    int applies = 0;
    int reverts = 0;

private:
    TFormSetting& dialog_;
};

class FormSettingTest : public ::testing::Test {
public:
    FormSettingTest() : monitor(dialog)
    {
        for (const char* name : {"B", "KB", "MB"})
            dialog.AddUnitName(QString::fromUtf8(name));
        dialog.NotifyForm = &monitor;
    }

    const Ui::FormSetting& c() const { return dialog.Controls(); }

    void Open()
    {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    void Click(QWidget* widget, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(widget, button, {}, QPoint(4, 4));
    }
    void CloseBox() { dialog.close(); }
    void SelectPage(QWidget* page) { c().PCSetting->setCurrentWidget(page); }

    RecordingMessageBox messages;
    TFormSetting dialog;
    FakeMonitor monitor;
};

TCustomSet NonDefaults()
{
    TCustomSet s;
    s.InsideDesktop = true;
    s.MOExpDiffe = false;
    s.RegularUpdate = true;
    s.SDR = false;
    s.StayOnTop = true;
    s.UnTaskBar = true;
    s.UseNN = false;
    s.BaseWinStyle = 6;
    s.Unit = 2;
    s.UpdateInterval = 15;
    return s;
}

} // namespace

TEST_F(FormSettingTest, FormAsDesigned)
{
    EXPECT_EQ(dialog.size(), QSize(449, 246));
    EXPECT_EQ(c().PCSetting->currentWidget(), c().TaWindow);
    EXPECT_EQ(c().CBoxBaseWinStyle->count(), 9);
    EXPECT_EQ(c().CBoxBaseWinStyle->itemText(8), QStringLiteral("メモリのみ（差分・ラベルなし）"));
    EXPECT_EQ(c().ButtonCancel->text(), QStringLiteral("&C･キャンセル"));
    EXPECT_EQ(c().ButtonApply->text(), QStringLiteral("&A・適用"));
    EXPECT_EQ(c().ButtonExport->toolTip(), QStringLiteral("現在の設定を外持ファイルにバックアップします"));
    EXPECT_EQ(c().ButtonDefault->geometry(), QRect(344, 152, 89, 25));
    EXPECT_EQ(c().Label1->buddy(), c().CBoxUnit);
    EXPECT_EQ(c().LabelInterval->buddy(), c().EditInterval);
    EXPECT_TRUE(c().ButtonOk->isDefault());
    EXPECT_EQ(dialog.ModalResult(), TFormSetting::TModalResult::None);
    EXPECT_FALSE(dialog.IsRButtonDown());
    EXPECT_EQ(dialog.CustomSet, TCustomSet{});
}

TEST_F(FormSettingTest, RecordRoundTripsThroughTheControls)
{
    const TCustomSet shown = NonDefaults();
    dialog.SetToControls(shown);
    TCustomSet read;
    dialog.ControlsToSet(read);
    EXPECT_EQ(read, shown);
    EXPECT_EQ(c().EditInterval->text(), QStringLiteral("15"));
    EXPECT_EQ(c().CBoxUnit->currentText(), QStringLiteral("MB"));
}

// The interval comes from the edit as typed: no range, 1 when not a number.
TEST_F(FormSettingTest, IntervalReadFromTheEdit)
{
    const struct {
        const char* text;
        int32_t stored;
    } cases[] = {{"0", 0}, {"5000", 5000}, {"-3", -3}, {"", 1}, {"abc", 1}, {"12x", 1}, {" 7", 1}, {"99999999999", 1}};
    for (const auto& k : cases) {
        c().EditInterval->setText(QString::fromUtf8(k.text));
        TCustomSet s;
        dialog.ControlsToSet(s);
        EXPECT_EQ(s.UpdateInterval, k.stored) << k.text;
    }
}

// A style or unit outside the lists shows no selection and reads back as -1.
TEST_F(FormSettingTest, OutOfRangeIndexShowsNoSelection)
{
    TCustomSet s;
    s.BaseWinStyle = 9;
    s.Unit = -1;
    dialog.SetToControls(s);
    EXPECT_EQ(c().CBoxBaseWinStyle->currentIndex(), -1);
    EXPECT_EQ(c().CBoxUnit->currentIndex(), -1);
    TCustomSet read;
    dialog.ControlsToSet(read);
    EXPECT_EQ(read.BaseWinStyle, -1);
    EXPECT_EQ(read.Unit, -1);
    // The mouse-over rule on no layout is reported as an internal error.
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().text, "内部エラー");
}

// Each scenario starts with the dialog open on the record {} with the
// monitor holding the same; `act` drives the dialog; then the outcome is
// checked on the record in force, the dialog's record and its visibility.
struct Scenario {
    const char* name;
    std::function<void(FormSettingTest&)> act;
    std::function<void(const FakeMonitor&, const TFormSetting&)> check;
};

void PrintTo(const Scenario& scenario, std::ostream* out)
{
    *out << scenario.name;
}

class FormSettingScenario : public FormSettingTest, public ::testing::WithParamInterface<Scenario> {};

TEST_P(FormSettingScenario, Outcome)
{
    monitor.inForce = dialog.CustomSet;
    Open();
    GetParam().act(*this);
    GetParam().check(monitor, dialog);
}

INSTANTIATE_TEST_SUITE_P(
    Dismissal, FormSettingScenario,
    ::testing::Values(
        Scenario{"ApplyThenCancelKeepsTheAppliedState",
                 [](FormSettingTest& s) {
                     s.c().CBoxStayOnTop->setChecked(true);
                     s.Click(s.c().ButtonApply);
                     EXPECT_TRUE(s.dialog.isVisible());
                     s.Click(s.c().ButtonCancel);
                     EXPECT_FALSE(s.dialog.isVisible());
                     s.Open();
                     EXPECT_TRUE(s.c().CBoxStayOnTop->isChecked());
                 },
                 [](const FakeMonitor& m, const TFormSetting& d) {
                     EXPECT_TRUE(m.inForce.StayOnTop);
                     EXPECT_EQ(m.applies, 1);
                     EXPECT_EQ(m.reverts, 1);
                     EXPECT_TRUE(d.CustomSet.StayOnTop);
                 }},
        Scenario{"DefaultThenCloseBoxAppliesNothingAndKeepsTheDefaults",
                 [](FormSettingTest& s) {
                     s.dialog.close();
                     s.dialog.CustomSet = NonDefaults();
                     s.monitor.inForce = NonDefaults();
                     s.Open();
                     s.Click(s.c().ButtonDefault);
                     s.CloseBox();
                     s.Open();
                     EXPECT_EQ(s.c().CBoxBaseWinStyle->currentIndex(), 0);
                 },
                 [](const FakeMonitor& m, const TFormSetting& d) {
                     EXPECT_EQ(m.applies, 0);
                     EXPECT_EQ(m.reverts, 0);
                     EXPECT_EQ(m.inForce, NonDefaults());
                     EXPECT_EQ(d.CustomSet, TCustomSet{});
                 }},
        Scenario{"CloseBoxAfterAnEarlierCancelReverts",
                 [](FormSettingTest& s) {
                     s.Click(s.c().ButtonCancel);
                     s.monitor.inForce = NonDefaults();
                     s.Open();
                     s.Click(s.c().ButtonDefault);
                     s.CloseBox();
                 },
                 [](const FakeMonitor& m, const TFormSetting& d) {
                     EXPECT_EQ(m.applies, 0);
                     EXPECT_EQ(m.reverts, 2);
                     EXPECT_EQ(d.ModalResult(), TFormSetting::TModalResult::Cancel);
                     EXPECT_EQ(d.CustomSet, NonDefaults());
                 }},
        Scenario{"RightClickOnALabelThenCloseBoxReverts",
                 [](FormSettingTest& s) {
                     s.c().PCSetting->setCurrentWidget(s.c().TaOther);
                     s.monitor.inForce = NonDefaults();
                     s.Click(s.c().Label1, Qt::RightButton);
                     EXPECT_TRUE(s.dialog.isVisible());
                     EXPECT_EQ(s.dialog.ModalResult(), TFormSetting::TModalResult::Cancel);
                     s.CloseBox();
                 },
                 [](const FakeMonitor& m, const TFormSetting& d) {
                     EXPECT_EQ(m.reverts, 1);
                     EXPECT_EQ(d.CustomSet, NonDefaults());
                 }},
        Scenario{"RightClickOnAnUnmarkedControlChangesNothing",
                 [](FormSettingTest& s) {
                     s.c().PCSetting->setCurrentWidget(s.c().TaOther);
                     s.Click(s.c().CBoxSDR, Qt::RightButton);
                     s.CloseBox();
                 },
                 [](const FakeMonitor& m, const TFormSetting& d) {
                     EXPECT_EQ(m.reverts, 0);
                     EXPECT_EQ(d.ModalResult(), TFormSetting::TModalResult::None);
                 }},
        Scenario{"LeftPressAfterARightPressCancelsNothing",
                 [](FormSettingTest& s) {
                     QTest::mousePress(s.c().ButtonHelp, Qt::RightButton, {}, QPoint(4, 4));
                     QTest::mousePress(s.c().ButtonHelp, Qt::LeftButton, {}, QPoint(4, 4));
                     QTest::mouseRelease(s.c().ButtonHelp, Qt::LeftButton, {}, QPoint(4, 4));
                     s.CloseBox();
                 },
                 [](const FakeMonitor& m, const TFormSetting& d) {
                     EXPECT_EQ(m.reverts, 0);
                     EXPECT_FALSE(d.IsRButtonDown());
                 }},
        Scenario{"OkStoresTheEditAndApplies",
                 [](FormSettingTest& s) {
                     s.c().PCSetting->setCurrentWidget(s.c().TaOther);
                     s.Click(s.c().CBoxRegularUpdate);
                     s.c().EditInterval->setFocus();
                     s.c().EditInterval->end(false);
                     QTest::keyClick(s.c().EditInterval, Qt::Key_5);
                     EXPECT_EQ(s.c().EditInterval->text(), QStringLiteral("605"));
                     EXPECT_EQ(s.c().SBarInterval->Value(), 600);
                     s.Click(s.c().ButtonOk);
                 },
                 [](const FakeMonitor& m, const TFormSetting& d) {
                     EXPECT_FALSE(d.isVisible());
                     EXPECT_EQ(m.applies, 1);
                     EXPECT_EQ(m.inForce.UpdateInterval, 605);
                     EXPECT_TRUE(m.inForce.RegularUpdate);
                     EXPECT_EQ(d.ModalResult(), TFormSetting::TModalResult::Ok);
                 }},
        Scenario{"EscapeIsCancel",
                 [](FormSettingTest& s) {
                     s.monitor.inForce = NonDefaults();
                     QTest::keyClick(&s.dialog, Qt::Key_Escape);
                 },
                 [](const FakeMonitor& m, const TFormSetting& d) {
                     EXPECT_FALSE(d.isVisible());
                     EXPECT_EQ(m.reverts, 1);
                     EXPECT_EQ(d.CustomSet, NonDefaults());
                 }},
        Scenario{"ReopeningDropsUnappliedEdits",
                 [](FormSettingTest& s) {
                     s.c().CBoxUseNN->setChecked(false);
                     s.c().CBoxBaseWinStyle->setCurrentIndex(4);
                     s.CloseBox();
                     s.Open();
                     EXPECT_TRUE(s.c().CBoxUseNN->isChecked());
                     EXPECT_EQ(s.c().CBoxBaseWinStyle->currentIndex(), 0);
                 },
                 [](const FakeMonitor& m, const TFormSetting&) { EXPECT_EQ(m.applies, 0); }}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

TEST_F(FormSettingTest, MouseOverBoxFollowsTheLayout)
{
    Open();
    c().CBoxMOExpDiffe->setChecked(true);
    const struct {
        int style;
        bool enabled;
    } cases[] = {{1, false}, {2, true}, {0, false}, {4, true}, {5, false}, {6, true}, {7, false}, {8, true}, {3, false}};
    for (const auto& k : cases) {
        c().CBoxBaseWinStyle->setCurrentIndex(k.style);
        EXPECT_EQ(c().CBoxMOExpDiffe->isEnabled(), k.enabled) << k.style;
        EXPECT_TRUE(c().CBoxMOExpDiffe->isChecked()) << k.style;
    }
}

TEST_F(FormSettingTest, RegularUpdateEnablesTheInterval)
{
    TCustomSet s;
    s.RegularUpdate = true;
    s.UpdateInterval = 42;
    dialog.CustomSet = s;
    Open();
    SelectPage(c().TaOther);
    EXPECT_TRUE(c().EditInterval->isEnabled());
    Click(c().CBoxRegularUpdate);
    EXPECT_FALSE(c().CBoxRegularUpdate->isChecked());
    EXPECT_FALSE(c().LabelInterval->isEnabled());
    EXPECT_FALSE(c().EditInterval->isEnabled());
    EXPECT_FALSE(c().SBarInterval->isEnabled());
    Click(c().ButtonApply);
    EXPECT_FALSE(monitor.inForce.RegularUpdate);
    EXPECT_EQ(monitor.inForce.UpdateInterval, 42);
}

TEST_F(FormSettingTest, DefaultRefillsTheControlsWithoutApplying)
{
    dialog.CustomSet = NonDefaults();
    Open();
    Click(c().ButtonDefault);
    TCustomSet shown;
    dialog.ControlsToSet(shown);
    EXPECT_EQ(shown, TCustomSet{});
    EXPECT_EQ(monitor.applies, 0);
}

// The key goes behind the old text, whatever is selected; the bar clamps.
TEST_F(FormSettingTest, TypingMovesTheBar)
{
    TCustomSet s;
    s.RegularUpdate = true;
    dialog.CustomSet = s;
    Open();
    SelectPage(c().TaOther);
    QLineEdit* edit = c().EditInterval;
    edit->setFocus();
    ASSERT_EQ(c().SBarInterval->Value(), 60);

    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_9);
    EXPECT_EQ(edit->text(), QStringLiteral("9"));
    EXPECT_EQ(c().SBarInterval->Value(), 600);  // 609 clamped

    QTest::keyClick(edit, Qt::Key_Backspace);  // "9" + backspace is no number
    EXPECT_EQ(edit->text(), QString());
    EXPECT_EQ(c().SBarInterval->Value(), 600);
    QTest::keyClick(edit, Qt::Key_0);  // "0": clamped up to 1
    EXPECT_EQ(c().SBarInterval->Value(), 1);
    QTest::keyClick(edit, Qt::Key_7);
    EXPECT_EQ(c().SBarInterval->Value(), 7);
    QTest::keyClick(edit, Qt::Key_A);  // any key is taken; the bar stays
    EXPECT_EQ(edit->text(), QStringLiteral("07a"));
    EXPECT_EQ(c().SBarInterval->Value(), 7);
    TCustomSet read;
    dialog.ControlsToSet(read);
    EXPECT_EQ(read.UpdateInterval, 1);  // not a number
}

// The bar shows the record clamped; the record keeps what it had.
TEST_F(FormSettingTest, BarShowsTheIntervalClamped)
{
    const struct {
        int32_t interval;
        int bar;
    } cases[] = {{60, 60}, {0, 1}, {5000, 600}, {600, 600}, {-4, 1}};
    for (const auto& k : cases) {
        TCustomSet s;
        s.UpdateInterval = k.interval;
        dialog.SetToControls(s);
        EXPECT_EQ(c().SBarInterval->Value(), k.bar) << k.interval;
        TCustomSet read;
        dialog.ControlsToSet(read);
        EXPECT_EQ(read.UpdateInterval, k.interval);
    }
}

// Stroking writes the bar's value into the edit on every move; a right click
// restores the bar and, through its mouse-down event, the edit.
TEST_F(FormSettingTest, StrokingUpdatesTheEdit)
{
    TCustomSet s;
    s.RegularUpdate = true;
    dialog.CustomSet = s;
    Open();
    SelectPage(c().TaOther);
    TStrokeBar* bar = c().SBarInterval;
    ASSERT_EQ(bar->size(), QSize(249, 33));
    QTest::mouseMove(bar, QPoint(10, 10));  // enters the band
    ASSERT_TRUE(bar->Tracking());
    QTest::mouseMove(bar, QPoint(124, 10));
    EXPECT_EQ(bar->Value(), 299);
    EXPECT_EQ(c().EditInterval->text(), QStringLiteral("299"));
    QTest::mouseMove(bar, QPoint(249, 10));
    EXPECT_EQ(c().EditInterval->text(), QStringLiteral("600"));
    // A right press while stroking belongs to the bar, not to the dialog.
    QTest::mouseClick(bar, Qt::RightButton, {}, QPoint(249, 10));
    EXPECT_FALSE(bar->Tracking());
    EXPECT_EQ(bar->Value(), 60);
    EXPECT_EQ(c().EditInterval->text(), QStringLiteral("60"));
    EXPECT_EQ(dialog.ModalResult(), TFormSetting::TModalResult::None);
}

TEST_F(FormSettingTest, LeftClickFixesTheStrokedValue)
{
    TCustomSet s;
    s.RegularUpdate = true;
    dialog.CustomSet = s;
    Open();
    SelectPage(c().TaOther);
    TStrokeBar* bar = c().SBarInterval;
    QTest::mouseMove(bar, QPoint(10, 10));
    QTest::mouseMove(bar, QPoint(24, 10));
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(24, 10));
    EXPECT_EQ(bar->Value(), 58);
    EXPECT_EQ(c().EditInterval->text(), QStringLiteral("58"));
    Click(c().ButtonApply);
    EXPECT_EQ(monitor.inForce.UpdateInterval, 58);
}

// The anchor follows the page shown; the browser choice is the record's, not
// the box's.
TEST_F(FormSettingTest, HelpAtThePageAnchorWithTheRecordsBrowserChoice)
{
    QTemporaryDir folder;
    QFile page(folder.filePath(QStringLiteral("Pelorin.htm")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    RecordingLauncher launcher;
    launcher.defaultBrowser = "/usr/bin/default-browser";
    launcher.onPath["netscape"] = "/usr/bin/netscape";
    EXPECT_FALSE(c().ButtonHelp->isEnabled());
    dialog.SetHelpEnvironment(ProgramHelpEnvironment(launcher, folder.path().toStdString()));

    TCustomSet s;
    s.UseNN = false;
    dialog.CustomSet = s;
    Open();
    c().CBoxUseNN->setChecked(true);
    Click(c().ButtonHelp);
    SelectPage(c().TaOther);
    Click(c().ButtonHelp);
    ASSERT_EQ(launcher.started.size(), 2u);
    const std::string url = FileUrl(folder.filePath(QStringLiteral("Pelorin.htm")).toStdString());
    EXPECT_EQ(launcher.started[0].program, "/usr/bin/default-browser");
    EXPECT_EQ(launcher.started[0].args, std::vector<std::string>{url + "#Windowtab"});
    EXPECT_EQ(launcher.started[1].args, std::vector<std::string>{url + "#Sonotatab"});
}
