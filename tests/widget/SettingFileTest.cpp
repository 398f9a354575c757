// SPDX-License-Identifier: MIT
// The settings dialog's export and import through its file dialog: the file
// holds what the controls show, an import changes only the dialog, a failed
// one nothing, and an export over a read-only file leaves it as it was.
#include "../unit/RecordingMessageBox.h"
#include "app/TFormSetting.h"
#include "app/TSettingTarget.h"
#include "components/TFileSel.h"
#include "components/TFormFileSel.h"
#include "settings/ExportFile.h"
#include "ui_FormSetting.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class CountingTarget : public TSettingTarget {
public:
    void UMApplySetting() override { ++applies; }
    void UMRevertSetting() override { ++reverts; }
    int applies = 0;
    int reverts = 0;
};

std::string ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

void WriteAll(const QString& path, const std::string& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

class SettingFileTest : public ::testing::Test {
protected:
    SettingFileTest()
    {
        for (const char* name : {"B", "KB", "MB"})
            dialog.AddUnitName(QString::fromUtf8(name));
        dialog.NotifyForm = &target;
        dialog.SetInitialFolder(folder.path().toStdString());
        dialog.show();
    }
    const Ui::FormSetting& c() const { return dialog.Controls(); }

    // Presses the button; once the file dialog's modal loop runs, types the
    // name and presses its OK (or its Cancel when name is empty).
    void ThroughFileDialog(QPushButton* button, const QString& name)
    {
        QTimer::singleShot(0, [this, name] {
            TFormFileSel* form = dialog.FileSel->FileForm();
            ASSERT_NE(form, nullptr);
            seenCaption = form->windowTitle();
            seenPos = form->pos();
            if (name.isEmpty()) {
                form->ButtonCancel->click();
                return;
            }
            form->EditFileName->setText(name);
            form->ButtonOk->click();
        });
        button->click();
    }

    QTemporaryDir folder;
    RecordingMessageBox messages{"ペロリン", IDYES};
    CountingTarget target;
    TFormSetting dialog;
    QString seenCaption;
    QPoint seenPos;
};

} // namespace

TEST_F(SettingFileTest, ExportWritesWhatTheControlsShow)
{
    c().CBoxStayOnTop->setChecked(true);
    c().CBoxBaseWinStyle->setCurrentIndex(4);
    c().EditInterval->setText(QStringLiteral("5000"));
    ThroughFileDialog(c().ButtonExport, QStringLiteral("backup"));
    EXPECT_EQ(seenCaption, QStringLiteral("設定を外持ファイルに保存"));
    EXPECT_EQ(seenPos, QPoint(8, 8));

    TCustomSet expected;
    expected.StayOnTop = true;
    expected.BaseWinStyle = 4;
    expected.UpdateInterval = 5000;
    // The type offered first is the export file's, so the extension is added.
    EXPECT_EQ(ReadAll(folder.filePath(QStringLiteral("backup.plne"))), SettingText(expected));
    EXPECT_EQ(dialog.CustomSet, TCustomSet{});  // exported, not taken
    EXPECT_EQ(target.applies, 0);
    EXPECT_EQ(dialog.InitialFolder(), folder.path().toStdString());
}

TEST_F(SettingFileTest, CancelledExportWritesNothing)
{
    ThroughFileDialog(c().ButtonExport, QString());
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(SettingFileTest, ExportOverAReadOnlyFileLeavesIt)
{
    const QString path = folder.filePath(QStringLiteral("kept.plne"));
    WriteAll(path, "PLNIE$2\r\nold\r\n");
    ASSERT_EQ(chmod(path.toLocal8Bit().constData(), 0444), 0);
    ThroughFileDialog(c().ButtonExport, QStringLiteral("kept.plne"));
    EXPECT_EQ(ReadAll(path), "PLNIE$2\r\nold\r\n");
    // The overwrite question, then the save failure.
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "上書きしてよろしいですか？");
    EXPECT_NE(messages.shown[1].text.find("kept.plne"), std::string::npos);
}

// An import starts from the defaults, changes only the dialog, and is taken
// by the monitor at Apply.
TEST_F(SettingFileTest, ImportChangesOnlyTheDialog)
{
    TCustomSet before;
    before.UseNN = false;
    before.Unit = 0;
    dialog.CustomSet = before;
    dialog.SetToControls(before);
    // A version 1 file has no UseNN line: it comes from the defaults.
    WriteAll(folder.filePath(QStringLiteral("old.plne")),
             "PLNIE$1\r\n1\r\n0\r\n1\r\n0\r\n1\r\n1\r\n6\r\n2\r\n30\r\n");
    ThroughFileDialog(c().ButtonImport, QStringLiteral("old.plne"));
    EXPECT_EQ(seenCaption, QStringLiteral("外持ファイルから設定を読み込む"));

    TCustomSet expected;
    expected.InsideDesktop = true;
    expected.MOExpDiffe = false;
    expected.RegularUpdate = true;
    expected.SDR = false;
    expected.StayOnTop = true;
    expected.UnTaskBar = true;
    expected.BaseWinStyle = 6;
    expected.Unit = 2;
    expected.UpdateInterval = 30;
    EXPECT_EQ(dialog.CustomSet, expected);
    TCustomSet shown;
    dialog.ControlsToSet(shown);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(target.applies, 0);
    c().ButtonApply->click();
    EXPECT_EQ(target.applies, 1);
}

TEST_F(SettingFileTest, FailedImportLeavesTheDialog)
{
    TCustomSet before;
    before.StayOnTop = true;
    dialog.CustomSet = before;
    dialog.SetToControls(before);
    c().CBoxSDR->setChecked(false);  // an unapplied edit survives too
    WriteAll(folder.filePath(QStringLiteral("bad.plne")), "PLNIE$2\r\n1\r\nx\r\n");
    ThroughFileDialog(c().ButtonImport, QStringLiteral("bad.plne"));
    EXPECT_EQ(dialog.CustomSet, before);
    EXPECT_FALSE(c().CBoxSDR->isChecked());

    // A missing file is refused by the file dialog itself; then Cancel.
    QTimer::singleShot(0, [this] {
        TFormFileSel* form = dialog.FileSel->FileForm();
        form->EditFileName->setText(QStringLiteral("none.plne"));
        form->ButtonOk->click();
        EXPECT_TRUE(form->isVisible());
        form->ButtonCancel->click();
    });
    c().ButtonImport->click();
    EXPECT_EQ(dialog.CustomSet, before);
}
