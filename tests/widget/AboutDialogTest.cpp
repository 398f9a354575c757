// SPDX-License-Identifier: MIT
// The about box: the caption that follows the name, what reaches the form
// and comes back, the icon, how the box closes, and the monitor window's
// menu item that opens it.
#include "FormFixture.h"

#include "components/TAboutDialog.h"
#include "components/TFormAboutDlg.h"
#include "platform/qt/TImageControl.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QString kSuffix = QStringLiteral("のバージョン情報");

// The application icon for one test: a 32 x 32 red square with a clear
// column on the right.
class ScopedAppIcon {
public:
    explicit ScopedAppIcon(bool withIcon) : previous_(QApplication::windowIcon())
    {
        QIcon icon;
        if (withIcon) {
            QPixmap pixmap(32, 32);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            painter.fillRect(0, 0, 24, 32, Qt::red);
            painter.end();
            icon = QIcon(pixmap);
        }
        QApplication::setWindowIcon(icon);
    }
    ~ScopedAppIcon() { QApplication::setWindowIcon(previous_); }

private:
    QIcon previous_;
};

// Hides a box the application keeps, so later tests do not see it.
void HideForm(TAboutDialog& about)
{
    if (about.Form())
        about.Form()->hide();
}

} // namespace

TEST(AboutDialog, StartsCentredWithTheSuffixAsCaption)
{
    TAboutDialog about;
    // The test screen is 800 x 800.
    EXPECT_EQ(about.Left(), (800 - 361) / 2);
    EXPECT_EQ(about.Top(), (800 - 249) / 2);
    EXPECT_EQ(about.DialogWidth(), 361);
    EXPECT_EQ(about.DialogHeight(), 249);
    EXPECT_EQ(about.GetCaption(), kSuffix);
    EXPECT_TRUE(about.GetAppName().isEmpty());
    EXPECT_EQ(about.Form(), nullptr);
}

TEST(AboutDialog, TheCaptionFollowsTheNameOnlyWhileItIsTheNameAndTheSuffix)
{
    struct Case {
        const char* name;
        const char* startName;    // set before, while the caption still follows
        const char* caption;      // then set as caption, or nullptr to leave it
        const char* newName;
        QString expected;
    };
    const Case cases[] = {
        {"fresh", nullptr, nullptr, "ペロリン", QStringLiteral("ペロリンのバージョン情報")},
        {"same name again", "ペロリン", nullptr, "ペロリン", QStringLiteral("ペロリンのバージョン情報")},
        {"another name", "ペロリン", nullptr, "別の名前", QStringLiteral("別の名前のバージョン情報")},
        {"empty name", "ペロリン", nullptr, "", kSuffix},
        {"own caption", nullptr, "自分の題", "ペロリン", QStringLiteral("自分の題")},
        {"own caption after a name", "ペロリン", "ペロリンについて", "別の名前", QStringLiteral("ペロリンについて")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TAboutDialog about;
        if (c.startName)
            about.SetAppName(QString::fromUtf8(c.startName));
        if (c.caption)
            about.SetCaption(QString::fromUtf8(c.caption));
        about.SetAppName(QString::fromUtf8(c.newName));
        EXPECT_EQ(about.GetCaption(), c.expected);
        EXPECT_EQ(about.GetAppName(), QString::fromUtf8(c.newName));
    }
}

TEST(AboutDialog, TheTextsReachTheFormWhenShownAndComeBackStraight)
{
    TAboutDialog about;
    about.SetAppName(QStringLiteral("ペロリン"));
    about.SetAppVer(QStringLiteral("Ver 3.54"));
    about.SetCright(QStringLiteral("Copyright (C) 2026 KORVAL"));
    about.Show();
    TFormAboutDlg* form = about.AboutForm();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("ペロリンのバージョン情報"));
    EXPECT_EQ(form->LabelAppName()->text(), QStringLiteral("ペロリン"));
    EXPECT_EQ(form->LabelAppVer()->text(), QStringLiteral("Ver 3.54"));
    EXPECT_EQ(form->LabelCright()->text(), QStringLiteral("Copyright (C) 2026 KORVAL"));

    // Setting the texts leaves a made form alone.
    about.SetAppVer(QStringLiteral("Ver 9"));
    EXPECT_EQ(form->LabelAppVer()->text(), QStringLiteral("Ver 3.54"));

    // Read back without the caption rule.
    form->LabelAppName()->setText(QStringLiteral("新しい名"));
    form->LabelCright()->setText(QStringLiteral("著作権"));
    about.DialogToProp();
    EXPECT_EQ(about.GetAppName(), QStringLiteral("新しい名"));
    EXPECT_EQ(about.GetAppVer(), QStringLiteral("Ver 3.54"));
    EXPECT_EQ(about.GetCright(), QStringLiteral("著作権"));
    EXPECT_EQ(about.GetCaption(), QStringLiteral("ペロリンのバージョン情報"));
    HideForm(about);
}

TEST(AboutDialog, TheFormHasItsControlsInPlace)
{
    TAboutDialog about;
    about.Create();
    TFormAboutDlg& form = *about.AboutForm();
    EXPECT_EQ(form.ImgIcon()->geometry(), QRect(16, 16, 32, 32));
    EXPECT_EQ(form.LabelAppName()->geometry(), QRect(64, 24, 193, 13));
    EXPECT_EQ(form.LabelAppVer()->geometry(), QRect(272, 24, 65, 13));
    EXPECT_EQ(form.LabelCright()->geometry(), QRect(16, 56, 305, 13));
    EXPECT_EQ(form.ButtonOK()->geometry(), QRect(134, 184, 86, 25));
    EXPECT_EQ(form.ButtonOK()->text(), QStringLiteral("&OK"));
    EXPECT_TRUE(form.ButtonOK()->isDefault());
    for (QLabel* label : {form.LabelAppName(), form.LabelAppVer(), form.LabelCright()})
        EXPECT_EQ(label->alignment(), Qt::AlignCenter);
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST(AboutDialog, TheProgramsIconIsPaintedOnTheFormsColour)
{
    for (const bool withIcon : {true, false}) {
        SCOPED_TRACE(withIcon ? "with an icon" : "without an icon");
        ScopedAppIcon icon(withIcon);
        TAboutDialog about;
        about.Create();
        TFormAboutDlg& form = *about.AboutForm();
        const QImage& bitmap = form.ImgIcon()->Bitmap();
        const QRgb face = form.palette().color(QPalette::Window).rgb();
        EXPECT_EQ(bitmap.pixel(10, 10), withIcon ? qRgb(255, 0, 0) : face);
        EXPECT_EQ(bitmap.pixel(28, 10), face);  // the icon's clear part
        EXPECT_EQ(bitmap.pixel(31, 31), face);
    }
}

TEST(AboutDialog, OkHidesTheBoxAndTheSameBoxComesBack)
{
    TAboutDialog about;
    about.Show();
    QDialog* form = about.Form();
    ASSERT_TRUE(form->isVisible());
    QTest::mouseClick(about.AboutForm()->ButtonOK(), Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), mrOk);
    about.Show();
    EXPECT_EQ(about.Form(), form);
    EXPECT_TRUE(form->isVisible());
    HideForm(about);
}

TEST(AboutDialog, ARightClickOnTheBackgroundCancelsOnlyAModalShow)
{
    TAboutDialog about;
    about.Show();
    TFormAboutDlg* form = about.AboutForm();
    QTest::mouseClick(form, Qt::RightButton, {}, QPoint(200, 120));
    EXPECT_TRUE(form->isVisible());
    about.Hide(false);

    QTimer::singleShot(0, form, [form] { QTest::mouseClick(form, Qt::RightButton, {}, QPoint(200, 120)); });
    EXPECT_EQ(about.ShowModal(), mrCancel);
    EXPECT_FALSE(form->isVisible());

    QTimer::singleShot(0, form, [form] { QTest::mouseClick(form->ButtonOK(), Qt::LeftButton); });
    EXPECT_EQ(about.ShowModal(), mrOk);
}

class AboutFromMenu : public FormFixture {
protected:
    ~AboutFromMenu() override
    {
        if (form)
            HideForm(*form->About());
    }

    QAction* AboutItem()
    {
        for (QAction* action : form->PopupMenu()->actions())
            if (action->text() == QStringLiteral("&A・バージョン情報"))
                return action;
        return nullptr;
    }
};

TEST_F(AboutFromMenu, TheItemShowsOneCentredBoxAndBringsItBack)
{
    TFormPLN& window = Create();
    QAction* item = AboutItem();
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isEnabled());

    item->trigger();
    TAboutDialog& about = *window.About();
    TFormAboutDlg* box = about.AboutForm();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowTitle(), QStringLiteral("ペロリンのバージョン情報"));
    EXPECT_EQ(box->LabelAppName()->text(), QStringLiteral("ペロリン"));
    EXPECT_EQ(box->LabelAppVer()->text(), QStringLiteral("Ver 3.54"));
    EXPECT_TRUE(box->LabelCright()->text().startsWith(QStringLiteral("Copyright")));
    // Offscreen windows get no frame: the design's outer size, 361 x 249,
    // is the one centred.
    const QRect frame = box->frameGeometry();
    EXPECT_EQ(frame.topLeft(), QPoint((800 - 361) / 2, (800 - 249) / 2));

    // A second click while it is open, minimised and moved: the same box,
    // restored, centred again only once it was hidden.
    box->showMinimized();
    item->trigger();
    EXPECT_EQ(about.AboutForm(), box);
    EXPECT_FALSE(box->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowTitle(), QStringLiteral("ペロリンのバージョン情報"));

    box->move(0, 0);
    QTest::mouseClick(box->ButtonOK(), Qt::LeftButton);
    item->trigger();
    EXPECT_EQ(about.AboutForm(), box);
    EXPECT_EQ(box->frameGeometry().topLeft(), frame.topLeft());
}
