// SPDX-License-Identifier: MIT
#include "components/TKVLCustomDlg.h"

#include "components/ApplicationForms.h"
#include "shared/MsgBox.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWindow>

namespace {
// Qt has no notion of these three as such; the form carries them so that
// what was put on it can be read back unchanged.
constexpr char kBorderStyle[] = "borderStyle";
constexpr char kFormStyle[] = "formStyle";
constexpr char kPosition[] = "position";

// The hourglass while a form is made and prepared; back to normal when the
// scope ends or the dialog takes the user's input.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { Release(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
    void Release()
    {
        if (active_)
            QGuiApplication::restoreOverrideCursor();
        active_ = false;
    }

private:
    bool active_ = true;
};

bool IsToolWindow(TFormBorderStyle style)
{
    return style == TFormBorderStyle::bsToolWindow || style == TFormBorderStyle::bsSizeToolWin;
}

bool IsSizeable(TFormBorderStyle style)
{
    return style == TFormBorderStyle::bsSizeable || style == TFormBorderStyle::bsSizeToolWin;
}

Qt::WindowFlags FlagsFor(TBorderIcons icons, TFormBorderStyle style, TFormStyle formStyle)
{
    Qt::WindowFlags flags = IsToolWindow(style) ? Qt::Tool : Qt::Dialog;
    if (style == TFormBorderStyle::bsNone) {
        flags |= Qt::FramelessWindowHint;
    } else {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (icons & TBorderIcon::biSystemMenu)
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (icons & TBorderIcon::biMinimize)
            flags |= Qt::WindowMinimizeButtonHint;
        if (icons & TBorderIcon::biMaximize)
            flags |= Qt::WindowMaximizeButtonHint;
        if (icons & TBorderIcon::biHelp)
            flags |= Qt::WindowContextHelpButtonHint;
    }
    if (formStyle == TFormStyle::fsStayOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    return flags;
}

TBorderIcons IconsOf(Qt::WindowFlags flags)
{
    TBorderIcons icons;
    if (flags & Qt::WindowSystemMenuHint)
        icons |= TBorderIcon::biSystemMenu;
    if (flags & Qt::WindowMinimizeButtonHint)
        icons |= TBorderIcon::biMinimize;
    if (flags & Qt::WindowMaximizeButtonHint)
        icons |= TBorderIcon::biMaximize;
    if (flags & Qt::WindowContextHelpButtonHint)
        icons |= TBorderIcon::biHelp;
    return icons;
}

template <typename Enum>
Enum ReadBack(const QWidget& form, const char* name, Enum fallback)
{
    const QVariant stored = form.property(name);
    return stored.isValid() ? static_cast<Enum>(stored.toInt()) : fallback;
}

// Puts the outer top-left of the window at point. Before the native window
// exists move() places the frame; afterwards it places the client, and the
// window system is asked again for the frame (it answers later).
void MoveFrame(QWidget& form, QPoint point)
{
    form.move(point);
    if (QWindow* window = form.windowHandle())
        window->setFramePosition(point);
}
} // namespace

TKVLCustomDlg::TKVLCustomDlg(QObject* owner) : QObject(owner) {}

TKVLCustomDlg::~TKVLCustomDlg()
{
    // A form the application owns stays, hidden, until the program ends.
    if (FormOwner_ != ApplicationForms::Owner())
        Destroy();
}

QString TKVLCustomDlg::GetCaption() const
{
    return Caption_;
}

void TKVLCustomDlg::SetCaption(const QString& value)
{
    Caption_ = value;
}

void TKVLCustomDlg::SetDialogSize(int width, int height)
{
    DialogWidth_ = width;
    DialogHeight_ = height;
}

void TKVLCustomDlg::CentreOnScreen()
{
    const QSize screen = ScreenSize();
    Left_ = (screen.width() - DialogWidth_) / 2;
    Top_ = (screen.height() - DialogHeight_) / 2;
}

QSize TKVLCustomDlg::ScreenSize() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

void TKVLCustomDlg::Create()
{
    if (Form_)
        return;
    CreateSelf();
    if (!Form_) {
        MsgBox("ダイアログが生成できませんでした。", "", MB_OK | MB_ICONEXCLAMATION);
        throw DialogCreateError();
    }
    FormOwner_ = ApplicationForms::Owns(Form_) ? ApplicationForms::Owner() : Form_->parent();
    PropToDialog();
}

void TKVLCustomDlg::Destroy()
{
    if (!Form_)
        return;
    Form_->deleteLater();
    Form_ = nullptr;
}

void TKVLCustomDlg::PropToDialog()
{
    QDialog& form = *Form_;
    form.setWindowTitle(GetCaption());
    // The default placements leave the place to the window manager and the
    // centred ones are placed when the form is shown.
    if (Position_ == TPosition::poDesigned)
        MoveFrame(form, QPoint(Left_, Top_));

    // Changing the flags of a shown window hides it and makes a new native
    // window; only do it when they really change.
    const Qt::WindowFlags flags = FlagsFor(BorderIcons_, BorderStyle_, FormStyle_);
    if (form.windowFlags() != flags) {
        const bool visible = form.isVisible();
        const QPoint place = form.pos();
        form.setWindowFlags(flags);
        form.move(place);
        if (visible)
            form.show();
    }
    if (IsSizeable(BorderStyle_)) {
        form.setMinimumSize(0, 0);
        form.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        form.setFixedSize(form.size());
    }
    form.setProperty(kBorderStyle, static_cast<int>(BorderStyle_));
    form.setContentsMargins(BorderWidth_, BorderWidth_, BorderWidth_, BorderWidth_);
    form.setProperty(kFormStyle, static_cast<int>(FormStyle_));
    form.setProperty(kPosition, static_cast<int>(Position_));
}

void TKVLCustomDlg::DialogToProp()
{
    const QDialog& form = *Form_;
    SetCaption(form.windowTitle());
    Left_ = form.pos().x();
    Top_ = form.pos().y();
    BorderIcons_ = IconsOf(form.windowFlags());
    BorderStyle_ = ReadBack(form, kBorderStyle, BorderStyle_);
    BorderWidth_ = form.contentsMargins().left();
    const TFormStyle style = ReadBack(form, kFormStyle, FormStyle_);
    const bool onTop = form.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    FormStyle_ = onTop ? TFormStyle::fsStayOnTop : (style == TFormStyle::fsStayOnTop ? TFormStyle::fsNormal : style);
    Position_ = ReadBack(form, kPosition, Position_);
}

void TKVLCustomDlg::Hide(bool copyBack)
{
    if (!Form_)
        return;
    Form_->hide();
    if (copyBack)
        DialogToProp();
}

QPoint TKVLCustomDlg::CentredPlace(QSize outer) const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    const QSize area = ScreenSize();
    return origin + QPoint((area.width() - outer.width()) / 2, (area.height() - outer.height()) / 2);
}

void TKVLCustomDlg::PlaceForm()
{
    if (Form_->isVisible())
        return;
    const TPosition position = ReadBack(*Form_, kPosition, Position_);
    if (position != TPosition::poScreenCenter && position != TPosition::poDesktopCenter)
        return;
    // The frame of a window not yet mapped is unknown: the outer size of the
    // design stands in for it until the window manager has framed it.
    const QWindow* window = Form_->windowHandle();
    const bool framed = window && window->isVisible() && !window->frameMargins().isNull();
    QSize outer = Form_->frameGeometry().size();
    if (!framed)
        outer = outer.expandedTo(QSize(DialogWidth_, DialogHeight_));
    MoveFrame(*Form_, CentredPlace(outer));
    if (!framed && !RecentreOnFrame_) {
        RecentreOnFrame_ = true;
        Form_->installEventFilter(this);
    }
}

bool TKVLCustomDlg::eventFilter(QObject* watched, QEvent* event)
{
    // Framing moves the client inside the frame; the frame is known then.
    if (RecentreOnFrame_ && Form_ && watched == Form_ && event->type() == QEvent::Move && Form_->isVisible()) {
        const QWindow* window = Form_->windowHandle();
        if (window && !window->frameMargins().isNull()) {
            RecentreOnFrame_ = false;
            Form_->removeEventFilter(this);
            const QPoint place = CentredPlace(Form_->frameGeometry().size());
            if (place != Form_->pos())
                MoveFrame(*Form_, place);
        }
    }
    return QObject::eventFilter(watched, event);
}

void TKVLCustomDlg::Show()
{
    BusyCursor busy;
    Create();
    Form_->setWindowState(Form_->windowState() & ~Qt::WindowMinimized);
    PlaceForm();
    Form_->show();
    Form_->raise();
    Form_->activateWindow();
}

int TKVLCustomDlg::ShowModal()
{
    BusyCursor busy;
    Create();
    // A modal show of a shown form goes on from what the form shows.
    if (Form_->isVisible())
        Hide(false);
    else
        PropToDialog();
    Form_->setWindowState(Form_->windowState() & ~Qt::WindowMinimized);
    PlaceForm();

    busy.Release();
    const QPointer<QDialog> form = Form_;
    const int code = form->exec();
    const int result = code == QDialog::Rejected ? mrCancel : code;
    if (result == mrOk && form && form == Form_)
        DialogToProp();
    return result;
}

void TKVLCustomDlg::RefreshDialog()
{
    if (Form_)
        PropToDialog();
}

void TKVLCustomDlg::SetPos(bool manual, int x, int y)
{
    if (!Form_)
        return;
    if (manual) {
        Position_ = TPosition::poDesigned;
        Left_ = x;
        Top_ = y;
        const QSize screen = ScreenSize();
        if (Left_ < 0)
            Left_ = 0;
        if (screen.width() < Left_ + DialogWidth_)
            Left_ = screen.width() - DialogWidth_;
        if (Top_ < 0)
            Top_ = 0;
        if (screen.height() < Top_ + DialogHeight_)
            Top_ = screen.height() - DialogHeight_;
    } else {
        Position_ = TPosition::poScreenCenter;
    }
    PropToDialog();
}
