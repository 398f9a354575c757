// SPDX-License-Identifier: MIT
#pragma once

#include <QFlags>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <cstdint>
#include <exception>

#include <QDialog>

// Title-bar buttons of a dialog form.
enum class TBorderIcon : uint8_t { biSystemMenu = 0x01, biMinimize = 0x02, biMaximize = 0x04, biHelp = 0x08 };
using TBorderIcons = QFlags<TBorderIcon>;
Q_DECLARE_OPERATORS_FOR_FLAGS(TBorderIcons)

enum class TFormBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
// The two document-interface styles have no meaning for a dialog here and
// behave as fsNormal.
enum class TFormStyle : uint8_t { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
// poDefault* leave the place to the window manager; both centre rules centre
// on the primary screen.
enum class TPosition : uint8_t {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter
};

// Modal results a dialog form ends with.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

// Thrown when a dialog's form could not be made, after the user was told.
class DialogCreateError : public std::exception {
public:
    const char* what() const noexcept override { return ""; }
};

// A dialog component: wraps a form that it makes on first use, keeps its own
// copy of the form-level properties, copies them onto the form before it is
// shown and back after the user confirmed. A subclass supplies the form in
// CreateSelf and copies its own extra properties in PropToDialog and
// DialogToProp, calling the base first.
class TKVLCustomDlg : public QObject {
    Q_OBJECT
public:
    explicit TKVLCustomDlg(QObject* owner = nullptr);
    ~TKVLCustomDlg() override;

    virtual QString GetCaption() const;
    // Stores the text only; the form gets it at the next PropToDialog.
    virtual void SetCaption(const QString& value);
    virtual void DialogToProp();
    virtual void PropToDialog();
    // Hides the form; with copyBack, then copies the form's values back.
    virtual void Hide(bool copyBack);
    // Shows the form modelessly and brings it to the front. A form that
    // exists already keeps what it shows: call RefreshDialog first to push
    // changed properties.
    virtual void Show();
    // Shows the form modally; returns mrOk, mrCancel or the form's own result.
    // Only mrOk copies the form's values back.
    virtual int ShowModal();

    // Makes the form if there is none; throws DialogCreateError if the
    // subclass made none.
    void Create();
    // Releases the form (deferred delete); a later Create makes a new one.
    void Destroy();
    void RefreshDialog();
    // Places the dialog at (x, y) kept on the screen when manual, else
    // centred on the screen. Does nothing before the form exists.
    void SetPos(bool manual, int x, int y);

    QDialog* Form() const { return Form_; }

    int Left() const { return Left_; }
    void SetLeft(int value) { Left_ = value; }
    int Top() const { return Top_; }
    void SetTop(int value) { Top_ = value; }
    TBorderIcons BorderIcons() const { return BorderIcons_; }
    void SetBorderIcons(TBorderIcons value) { BorderIcons_ = value; }
    int BorderWidth() const { return BorderWidth_; }
    void SetBorderWidth(int value) { BorderWidth_ = value; }
    TFormBorderStyle BorderStyle() const { return BorderStyle_; }
    void SetBorderStyle(TFormBorderStyle value) { BorderStyle_ = value; }
    TFormStyle FormStyle() const { return FormStyle_; }
    void SetFormStyle(TFormStyle value) { FormStyle_ = value; }
    TPosition Position() const { return Position_; }
    void SetPosition(TPosition value) { Position_ = value; }
    int DialogWidth() const { return DialogWidth_; }
    int DialogHeight() const { return DialogHeight_; }

protected:
    // Makes the form and stores it with SetForm; a form that lives until the
    // program ends is handed to ApplicationForms.
    virtual void CreateSelf() = 0;
    // The size of the screen the dialog is kept on and centred on.
    virtual QSize ScreenSize() const;

    void SetForm(QDialog* form) { Form_ = form; }
    void SetDialogSize(int width, int height);
    // Left and Top that centre the dialog's outer size on the screen.
    void CentreOnScreen();

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Puts a form about to become visible where Position says.
    void PlaceForm();
    // The centred place for the form's outer size.
    QPoint CentredPlace(QSize outer) const;

    QObject* FormOwner_ = nullptr;
    QString Caption_;
    int DialogHeight_ = 0;
    int Left_ = 0;
    int Top_ = 0;
    int DialogWidth_ = 0;
    TBorderIcons BorderIcons_ = TBorderIcons(TBorderIcon::biSystemMenu) | TBorderIcon::biMinimize;
    int BorderWidth_ = 0;
    TFormBorderStyle BorderStyle_ = TFormBorderStyle::bsSingle;
    TFormStyle FormStyle_ = TFormStyle::fsNormal;
    TPosition Position_ = TPosition::poDesigned;
    QPointer<QDialog> Form_;
    // Centred before the window manager framed the window: centred again
    // once the frame is known.
    bool RecentreOnFrame_ = false;
};
