// SPDX-License-Identifier: MIT
#include "app/TFormSetting.h"

#include "app/TSettingTarget.h"
#include "components/TFileSel.h"
#include "components/TStrokeBar.h"
#include "platform/qt/FontChoice.h"
#include "settings/ExportFile.h"
#include "settings/Literals.h"
#include "settings/TLayoutInfo.h"
#include "ui_FormSetting.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShowEvent>
#include <optional>

namespace {

// The interval as a whole decimal integer with an optional sign; blanks and
// control characters (a typed Enter or backspace) make it no number.
std::optional<int> ReadInteger(const QString& text)
{
    if (text != text.trimmed())
        return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

TFormSetting::TFormSetting(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::FormSetting>())
{
    ui->setupUi(this);
    setFont(WithInstalledGothic(font()));
    // A window of its own with a minimise box and no resizing.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(449, 246);
    // The monitor window alone decides when the program ends: an open
    // dialog does not keep it running.
    setAttribute(Qt::WA_QuitOnClose, false);
    // Enter presses the focused button, and OK anywhere else; Esc is Cancel
    // (reject below).
    ui->ButtonOk->setDefault(true);
    // The interval bar: 1 to 600 seconds, its band from the top edge.
    ui->SBarInterval->SetMarginTop(0);
    ui->SBarInterval->SetMax(600);
    ui->SBarInterval->SetMin(1);
    ui->SBarInterval->SetValue(1);
    ui->SBarInterval->Loaded();

    connect(ui->ButtonOk, &QPushButton::clicked, this, [this] {
        Dismissal = TModalResult::Ok;
        ButtonOkClick();
    });
    connect(ui->ButtonCancel, &QPushButton::clicked, this, [this] {
        Dismissal = TModalResult::Cancel;
        ButtonCancelClick();
    });
    connect(ui->ButtonApply, &QPushButton::clicked, this, &TFormSetting::ButtonApplyClick);
    connect(ui->ButtonDefault, &QPushButton::clicked, this, &TFormSetting::ButtonDefaultClick);
    connect(ui->CBoxBaseWinStyle, &QComboBox::currentIndexChanged, this, &TFormSetting::CBoxBaseWinStyleChange);
    connect(ui->CBoxRegularUpdate, &QCheckBox::clicked, this, &TFormSetting::CBoxRegularUpdateClick);
    connect(ui->SBarInterval, &TStrokeBar::OnChanging, this, &TFormSetting::SBarIntervalChanging);
    connect(ui->SBarInterval, &TStrokeBar::OnMouseDown, this, &TFormSetting::SBarIntervalMouseDown);

    // The controls whose presses and releases count as the form's own for
    // the right-click rule.
    for (QWidget* widget : std::initializer_list<QWidget*>{ui->Label2, ui->CBoxStayOnTop, ui->CBoxInsideDesktop,
                                                           ui->CBoxUnTaskBar, ui->Label1, ui->CBoxRegularUpdate,
                                                           ui->LabelInterval, ui->EditInterval, ui->ButtonOk,
                                                           ui->ButtonCancel, ui->ButtonHelp})
        widget->installEventFilter(this);

    connect(ui->ButtonHelp, &QPushButton::clicked, this, &TFormSetting::ButtonHelpClick);
    connect(ui->ButtonImport, &QPushButton::clicked, this, &TFormSetting::ButtonImportClick);
    connect(ui->ButtonExport, &QPushButton::clicked, this, &TFormSetting::ButtonExportClick);
    // Help waits for the monitor window to say where the page is.
    ui->ButtonHelp->setEnabled(false);

    // The file dialog opens at the screen's top-left corner, not centred.
    FileSel = new TFileSel(this);
    FileSel->SetCaption(QStringLiteral("ファイルの選択"));
    FileSel->SetPosition(TPosition::poDesigned);
    FileSel->SetLeft(8);
    FileSel->SetTop(8);

    FormCreate();
}

TFormSetting::~TFormSetting() = default;

void TFormSetting::FormCreate()
{
    ui->PCSetting->setCurrentWidget(ui->TaWindow);
    FileSel->AddFileType(QStringLiteral("外持ファイル"),
                         QStringLiteral("*.") + QString::fromUtf8(kExportExtension.data(), kExportExtension.size()), 0);
}

void TFormSetting::AddUnitName(const QString& name)
{
    ui->CBoxUnit->addItem(name);
}

std::string TFormSetting::InitialFolder() const
{
    return FileSel->GetInitialFolder().toStdString();
}

void TFormSetting::SetInitialFolder(const std::string& folder)
{
    FileSel->SetInitialFolder(QString::fromStdString(folder));
}

void TFormSetting::SetHelpEnvironment(const HelpEnvironment& env)
{
    Help.emplace(env);
    ui->ButtonHelp->setEnabled(true);
}

void TFormSetting::SetToControls(const TCustomSet& s)
{
    ui->CBoxBaseWinStyle->setCurrentIndex(s.BaseWinStyle < ui->CBoxBaseWinStyle->count() ? s.BaseWinStyle : -1);
    ui->CBoxMOExpDiffe->setChecked(s.MOExpDiffe);
    ui->CBoxStayOnTop->setChecked(s.StayOnTop);
    ui->CBoxInsideDesktop->setChecked(s.InsideDesktop);
    ui->CBoxUnTaskBar->setChecked(s.UnTaskBar);
    ui->CBoxUnit->setCurrentIndex(s.Unit < ui->CBoxUnit->count() ? s.Unit : -1);
    ui->CBoxRegularUpdate->setChecked(s.RegularUpdate);
    ui->EditInterval->setText(QString::number(s.UpdateInterval));
    ui->SBarInterval->SetValue(s.UpdateInterval);
    ui->CBoxUseNN->setChecked(s.UseNN);
    ui->CBoxSDR->setChecked(s.SDR);
    UpdateMOExpDiffeEnabled();
    UpdateIntervalEnabled();
}

void TFormSetting::ControlsToSet(TCustomSet& s) const
{
    s.BaseWinStyle = ui->CBoxBaseWinStyle->currentIndex();
    s.MOExpDiffe = ui->CBoxMOExpDiffe->isChecked();
    s.StayOnTop = ui->CBoxStayOnTop->isChecked();
    s.InsideDesktop = ui->CBoxInsideDesktop->isChecked();
    s.UnTaskBar = ui->CBoxUnTaskBar->isChecked();
    s.Unit = ui->CBoxUnit->currentIndex();
    s.RegularUpdate = ui->CBoxRegularUpdate->isChecked();
    // The edit, not the slider: a typed 0 or 5000 is kept as typed.
    s.UpdateInterval = ReadInteger(ui->EditInterval->text()).value_or(1);
    s.UseNN = ui->CBoxUseNN->isChecked();
    s.SDR = ui->CBoxSDR->isChecked();
}

void TFormSetting::UpdateIntervalEnabled()
{
    const bool on = ui->CBoxRegularUpdate->isChecked();
    ui->LabelInterval->setEnabled(on);
    ui->EditInterval->setEnabled(on);
    ui->SBarInterval->setEnabled(on);
}

void TFormSetting::UpdateMOExpDiffeEnabled()
{
    // An empty selection (-1) is an internal error that NoDiffeWinStyle
    // reports itself.
    const int style = ui->CBoxBaseWinStyle->currentIndex();
    ui->CBoxMOExpDiffe->setEnabled(NoDiffeWinStyle(static_cast<uint32_t>(style)));
}

void TFormSetting::CBoxBaseWinStyleChange()
{
    UpdateMOExpDiffeEnabled();
}

void TFormSetting::CBoxRegularUpdateClick()
{
    UpdateIntervalEnabled();
}

void TFormSetting::EditIntervalKeyPress(const QString& key)
{
    // The key goes behind the old text whatever the caret or selection, so
    // the slider follows what the edit would read if typing only appended.
    const std::optional<int> value = ReadInteger(ui->EditInterval->text() + key);
    if (value)
        ui->SBarInterval->SetValue(*value);
}

void TFormSetting::SBarIntervalChanging()
{
    ui->EditInterval->setText(QString::number(ui->SBarInterval->Value()));
}

void TFormSetting::SBarIntervalMouseDown()
{
    ui->EditInterval->setText(QString::number(ui->SBarInterval->Value()));
}

void TFormSetting::ButtonOkClick()
{
    close();
    ControlsToSet(CustomSet);
    if (NotifyForm)
        NotifyForm->UMApplySetting();
}

void TFormSetting::ButtonApplyClick()
{
    ControlsToSet(CustomSet);
    if (NotifyForm)
        NotifyForm->UMApplySetting();
}

void TFormSetting::ButtonCancelClick()
{
    close();
}

void TFormSetting::ButtonDefaultClick()
{
    CustomSet = TCustomSet{};
    SetToControls(CustomSet);
}

void TFormSetting::ButtonHelpClick()
{
    if (!Help)
        return;
    // The record's choice of browser, not the box's: an unapplied tick does
    // not choose the browser yet.
    const char* anchor = ui->PCSetting->currentWidget() == ui->TaWindow ? "Windowtab" : "Sonotatab";
    ShowHelp(*Help, std::string(lit::HelpFile), "", anchor, CustomSet.UseNN);
}

void TFormSetting::ButtonImportClick()
{
    TCustomSet t;
    FileSel->SetCaption(QStringLiteral("外持ファイルから設定を読み込む"));
    FileSel->SetFileMustExist(true);
    FileSel->SetOverwritePrompt(false);
    if (FileSel->ShowModal() != mrOk)
        return;
    // Only the dialog changes; the monitor takes it at OK or Apply.
    if (ImportSetting(FileSel->GetFileName().toStdString(), t)) {
        CustomSet = t;
        SetToControls(CustomSet);
    }
}

void TFormSetting::ButtonExportClick()
{
    TCustomSet t;
    FileSel->SetCaption(QStringLiteral("設定を外持ファイルに保存"));
    FileSel->SetFileMustExist(false);
    FileSel->SetOverwritePrompt(true);
    if (FileSel->ShowModal() != mrOk)
        return;
    // What the controls show now, applied or not. A failure is reported by
    // the export itself.
    ControlsToSet(t);
    ExportSetting(FileSel->GetFileName().toStdString(), t);
}

void TFormSetting::reject()
{
    ui->ButtonCancel->click();
}

void TFormSetting::showEvent(QShowEvent* event)
{
    // A window restored from the task bar is shown again by the window
    // system; only a dialog made visible again refills its controls.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TFormSetting::FormShow()
{
    SetToControls(CustomSet);
}

void TFormSetting::closeEvent(QCloseEvent* event)
{
    // QDialog would turn every close into a rejection; here only the
    // dismissal result decides, and the dialog is only hidden.
    FormClose();
    event->accept();
}

void TFormSetting::FormClose()
{
    if (Dismissal == TModalResult::Cancel && NotifyForm)
        NotifyForm->UMRevertSetting();
}

bool TFormSetting::SliderTracking() const
{
    return ui->SBarInterval->Tracking();
}

void TFormSetting::FormMouseDown(Qt::MouseButton button)
{
    RButtonDown = button == Qt::RightButton && !SliderTracking();
}

void TFormSetting::FormMouseUp()
{
    if (RButtonDown)
        Dismissal = TModalResult::Cancel;
}

void TFormSetting::mousePressEvent(QMouseEvent* event)
{
    // Presses that a child passed on are not the form's own.
    if (!childAt(event->position().toPoint()))
        FormMouseDown(event->button());
    QDialog::mousePressEvent(event);
}

void TFormSetting::mouseReleaseEvent(QMouseEvent* event)
{
    if (!childAt(event->position().toPoint()))
        FormMouseUp();
    QDialog::mouseReleaseEvent(event);
}

bool TFormSetting::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        FormMouseDown(static_cast<QMouseEvent*>(event)->button());
        break;
    case QEvent::MouseButtonRelease:
        FormMouseUp();
        break;
    case QEvent::KeyPress:
        if (watched == ui->EditInterval) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (!text.isEmpty())
                EditIntervalKeyPress(text);
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
