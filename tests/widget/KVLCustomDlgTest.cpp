// SPDX-License-Identifier: MIT
// The dialog-wrapper base with a small test form: when the form is made,
// which properties reach it and come back, placement, and a form that cannot
// be made.
#include "../unit/RecordingMessageBox.h"
#include "components/ApplicationForms.h"
#include "components/TKVLCustomDlg.h"

#include <QDialog>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// A 585 x 433 dialog on a 640 x 480 screen, as the file dialog is on the
// smallest screen it is made for.
class TestDlg : public TKVLCustomDlg {
public:
    explicit TestDlg(QObject* owner = nullptr) : TKVLCustomDlg(owner)
    {
        SetDialogSize(585, 433);
        CentreOnScreen();
        SetCaption(QStringLiteral("テスト"));
    }
    // Forms the application keeps stay out of the way of later tests.
    ~TestDlg() override
    {
        if (Form())
            Form()->hide();
    }

    bool makeForm = true;
    bool applicationOwned = true;
    int created = 0;

protected:
    void CreateSelf() override
    {
        if (!makeForm)
            return;
        ++created;
        auto* form = new QDialog;
        form->resize(585, 433);
        if (applicationOwned)
            ApplicationForms::Adopt(form);
        SetForm(form);
    }
    QSize ScreenSize() const override { return {640, 480}; }
};

// Runs step on the modal form once its loop is running.
void WhileModal(TKVLCustomDlg& dlg, std::function<void(QDialog&)> step)
{
    QTimer::singleShot(0, [&dlg, step] {
        ASSERT_NE(dlg.Form(), nullptr);
        step(*dlg.Form());
    });
}

void RunDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

TEST(KVLCustomDlg, StartsWithTheDefaultsAndNoForm)
{
    TestDlg dlg;
    EXPECT_EQ(dlg.Form(), nullptr);
    EXPECT_EQ(dlg.Left(), 27);
    EXPECT_EQ(dlg.Top(), 23);
    EXPECT_EQ(dlg.BorderIcons(), TBorderIcons(TBorderIcon::biSystemMenu) | TBorderIcon::biMinimize);
    EXPECT_EQ(dlg.BorderStyle(), TFormBorderStyle::bsSingle);
    EXPECT_EQ(dlg.FormStyle(), TFormStyle::fsNormal);
    EXPECT_EQ(dlg.Position(), TPosition::poDesigned);
    EXPECT_EQ(dlg.BorderWidth(), 0);
}

TEST(KVLCustomDlg, TwoModalShowsUseOneFormAndPushTheChangedProperties)
{
    TestDlg dlg;
    QString shownCaption;
    WhileModal(dlg, [&](QDialog& form) {
        shownCaption = form.windowTitle();
        form.reject();
    });
    EXPECT_EQ(dlg.ShowModal(), mrCancel);
    EXPECT_EQ(shownCaption, QStringLiteral("テスト"));
    const QDialog* first = dlg.Form();

    dlg.SetCaption(QStringLiteral("二度目"));
    dlg.SetLeft(40);
    QPoint shownAt;
    WhileModal(dlg, [&](QDialog& form) {
        shownCaption = form.windowTitle();
        shownAt = form.pos();
        form.reject();
    });
    EXPECT_EQ(dlg.ShowModal(), mrCancel);
    EXPECT_EQ(dlg.Form(), first);
    EXPECT_EQ(dlg.created, 1);
    EXPECT_EQ(shownCaption, QStringLiteral("二度目"));
    EXPECT_EQ(shownAt, QPoint(40, 23));
}

TEST(KVLCustomDlg, CancelLeavesEveryPropertyAsItWas)
{
    TestDlg dlg;
    WhileModal(dlg, [](QDialog& form) {
        form.move(100, 70);
        form.setWindowTitle(QStringLiteral("変更"));
        form.done(mrCancel);
    });
    EXPECT_EQ(dlg.ShowModal(), mrCancel);
    EXPECT_EQ(dlg.Left(), 27);
    EXPECT_EQ(dlg.Top(), 23);
    EXPECT_EQ(dlg.GetCaption(), QStringLiteral("テスト"));
    EXPECT_EQ(dlg.Position(), TPosition::poDesigned);
}

TEST(KVLCustomDlg, OkAfterAMoveStoresThePlaceAndTheNextShowUsesIt)
{
    TestDlg dlg;
    WhileModal(dlg, [](QDialog& form) {
        form.move(100, 70);
        form.accept();
    });
    EXPECT_EQ(dlg.ShowModal(), mrOk);
    EXPECT_EQ(dlg.Left(), 100);
    EXPECT_EQ(dlg.Top(), 70);
    EXPECT_EQ(dlg.GetCaption(), QStringLiteral("テスト"));

    QPoint shownAt;
    WhileModal(dlg, [&](QDialog& form) {
        shownAt = form.pos();
        form.reject();
    });
    dlg.ShowModal();
    EXPECT_EQ(shownAt, QPoint(100, 70));
}

TEST(KVLCustomDlg, ModalShowOfAShownFormGoesOnFromTheForm)
{
    TestDlg dlg;
    dlg.Show();
    dlg.Form()->setWindowTitle(QStringLiteral("入力中"));
    dlg.SetCaption(QStringLiteral("新しい題"));
    QString shownCaption;
    WhileModal(dlg, [&](QDialog& form) {
        shownCaption = form.windowTitle();
        form.accept();
    });
    EXPECT_EQ(dlg.ShowModal(), mrOk);
    EXPECT_EQ(shownCaption, QStringLiteral("入力中"));
    EXPECT_EQ(dlg.GetCaption(), QStringLiteral("入力中"));
    EXPECT_FALSE(dlg.Form()->isVisible());
}

TEST(KVLCustomDlg, SetPosBeforeTheFormExistsDoesNothing)
{
    TestDlg dlg;
    dlg.SetPos(true, -50, 10);
    dlg.SetPos(false, 0, 0);
    EXPECT_EQ(dlg.Left(), 27);
    EXPECT_EQ(dlg.Top(), 23);
    EXPECT_EQ(dlg.Position(), TPosition::poDesigned);
    EXPECT_EQ(dlg.Form(), nullptr);
}

TEST(KVLCustomDlg, SetPosKeepsTheDialogOnTheScreen)
{
    struct Case {
        int x, y;
        int left, top;
    };
    // Right and bottom corrections come last: a dialog that fits keeps its
    // whole outer size on the 640 x 480 screen.
    const Case cases[] = {
        {-50, 10, 0, 10}, {600, 10, 55, 10}, {10, -5, 10, 0}, {10, 100, 10, 47}, {55, 47, 55, 47},
    };
    TestDlg dlg;
    dlg.Create();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "SetPos(true, " << c.x << ", " << c.y << ")");
        dlg.SetPosition(TPosition::poScreenCenter);
        dlg.SetPos(true, c.x, c.y);
        EXPECT_EQ(dlg.Left(), c.left);
        EXPECT_EQ(dlg.Top(), c.top);
        EXPECT_EQ(dlg.Position(), TPosition::poDesigned);
        EXPECT_EQ(dlg.Form()->pos(), QPoint(c.left, c.top));
    }
    dlg.SetPos(false, 1, 1);
    EXPECT_EQ(dlg.Position(), TPosition::poScreenCenter);
    EXPECT_EQ(dlg.Left(), 55);
    EXPECT_EQ(dlg.Top(), 47);
}

TEST(KVLCustomDlg, ShowKeepsWhatTheFormHasAndRefreshDialogPushesChanges)
{
    TestDlg dlg;
    dlg.Show();
    ASSERT_NE(dlg.Form(), nullptr);
    EXPECT_TRUE(dlg.Form()->isVisible());
    EXPECT_EQ(dlg.Form()->windowTitle(), QStringLiteral("テスト"));

    dlg.SetCaption(QStringLiteral("変更後"));
    dlg.SetTop(5);
    dlg.Show();
    EXPECT_EQ(dlg.Form()->windowTitle(), QStringLiteral("テスト"));
    EXPECT_EQ(dlg.Form()->pos().y(), 23);

    dlg.RefreshDialog();
    EXPECT_EQ(dlg.Form()->windowTitle(), QStringLiteral("変更後"));
    EXPECT_EQ(dlg.Form()->pos().y(), 5);
    EXPECT_TRUE(dlg.Form()->isVisible());
    dlg.Hide(false);
    EXPECT_FALSE(dlg.Form()->isVisible());
}

TEST(KVLCustomDlg, ShowRestoresAMinimisedForm)
{
    TestDlg dlg;
    dlg.Show();
    dlg.Form()->showMinimized();
    dlg.Show();
    EXPECT_FALSE(dlg.Form()->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(dlg.Form()->isVisible());
}

TEST(KVLCustomDlg, HideWithCopyBackTakesTheFormsValues)
{
    TestDlg dlg;
    dlg.Show();
    dlg.Form()->move(12, 34);
    dlg.Form()->setWindowTitle(QStringLiteral("戻す"));
    dlg.Hide(true);
    EXPECT_EQ(dlg.Left(), 12);
    EXPECT_EQ(dlg.Top(), 34);
    EXPECT_EQ(dlg.GetCaption(), QStringLiteral("戻す"));
}

TEST(KVLCustomDlg, FormLevelPropertiesReachTheFormAndComeBack)
{
    TestDlg dlg;
    dlg.SetBorderIcons(TBorderIcons(TBorderIcon::biSystemMenu) | TBorderIcon::biMaximize);
    dlg.SetBorderStyle(TFormBorderStyle::bsDialog);
    dlg.SetFormStyle(TFormStyle::fsStayOnTop);
    dlg.SetBorderWidth(3);
    dlg.Create();
    const Qt::WindowFlags flags = dlg.Form()->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(dlg.Form()->minimumSize(), dlg.Form()->maximumSize());

    // Overwritten, then read back from the form.
    dlg.SetBorderIcons({});
    dlg.SetBorderStyle(TFormBorderStyle::bsNone);
    dlg.SetFormStyle(TFormStyle::fsNormal);
    dlg.SetBorderWidth(0);
    dlg.DialogToProp();
    EXPECT_EQ(dlg.BorderIcons(), TBorderIcons(TBorderIcon::biSystemMenu) | TBorderIcon::biMaximize);
    EXPECT_EQ(dlg.BorderStyle(), TFormBorderStyle::bsDialog);
    EXPECT_EQ(dlg.FormStyle(), TFormStyle::fsStayOnTop);
    EXPECT_EQ(dlg.BorderWidth(), 3);

    dlg.SetBorderStyle(TFormBorderStyle::bsSizeable);
    dlg.SetFormStyle(TFormStyle::fsNormal);
    dlg.RefreshDialog();
    EXPECT_FALSE(dlg.Form()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_NE(dlg.Form()->minimumSize(), dlg.Form()->maximumSize());
}

TEST(KVLCustomDlg, CentredPositionCentresTheFormWhenShown)
{
    TestDlg dlg;
    dlg.SetPosition(TPosition::poScreenCenter);
    dlg.Show();
    // The test screen is 640 x 480; the form has no frame offscreen.
    EXPECT_EQ(dlg.Form()->pos(), QPoint(27, 23));
    dlg.Form()->move(0, 0);
    dlg.Hide(false);
    dlg.Show();
    EXPECT_EQ(dlg.Form()->pos(), QPoint(27, 23));
}

TEST(KVLCustomDlg, AFormThatCannotBeMadeIsReportedAndFails)
{
    RecordingMessageBox messages("ペロリン");
    TestDlg dlg;
    dlg.makeForm = false;
    EXPECT_THROW(dlg.Show(), DialogCreateError);
    EXPECT_THROW(dlg.ShowModal(), DialogCreateError);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "ダイアログが生成できませんでした。");
    EXPECT_EQ(messages.shown[0].caption, "ペロリン");
    EXPECT_EQ(messages.shown[0].flags, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(dlg.Form(), nullptr);
    // The busy cursor does not stay behind.
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // A later call tries again.
    dlg.makeForm = true;
    dlg.Show();
    EXPECT_NE(dlg.Form(), nullptr);
}

TEST(KVLCustomDlg, TheBusyCursorIsGoneWhileTheModalDialogRuns)
{
    TestDlg dlg;
    bool busyWhileOpen = true;
    WhileModal(dlg, [&](QDialog& form) {
        busyWhileOpen = QGuiApplication::overrideCursor() != nullptr;
        form.reject();
    });
    dlg.ShowModal();
    EXPECT_FALSE(busyWhileOpen);
    dlg.Show();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(KVLCustomDlg, DestroyReleasesTheFormAndCreateMakesANewOne)
{
    TestDlg dlg;
    dlg.Create();
    QPointer<QDialog> first = dlg.Form();
    dlg.Destroy();
    EXPECT_EQ(dlg.Form(), nullptr);
    RunDeferredDeletes();
    EXPECT_TRUE(first.isNull());
    dlg.Create();
    EXPECT_NE(dlg.Form(), nullptr);
    EXPECT_EQ(dlg.created, 2);
}

TEST(KVLCustomDlg, AnApplicationOwnedFormOutlivesItsComponent)
{
    QPointer<QDialog> kept;
    {
        TestDlg dlg;
        dlg.Create();
        kept = dlg.Form();
    }
    RunDeferredDeletes();
    ASSERT_FALSE(kept.isNull());
    EXPECT_TRUE(ApplicationForms::Owns(kept));
    // Left open, it does not keep the program running.
    EXPECT_FALSE(kept->testAttribute(Qt::WA_QuitOnClose));
    EXPECT_FALSE(kept->isVisible());

    TestDlg again;
    again.Create();
    EXPECT_NE(again.Form(), kept.data());
}

TEST(KVLCustomDlg, AFormOwnedByNobodyElseGoesWithItsComponent)
{
    QPointer<QDialog> released;
    {
        TestDlg dlg;
        dlg.applicationOwned = false;
        dlg.Create();
        released = dlg.Form();
    }
    RunDeferredDeletes();
    EXPECT_TRUE(released.isNull());
}
