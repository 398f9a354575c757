// SPDX-License-Identifier: MIT
#include "components/TExpViewLite.h"
#include "components/TFileSel.h"
#include "components/TFormFileSel.h"
#include "shared/ProgramPath.h"

#include "../unit/RecordingMessageBox.h"
#include "../unit/ScratchDir.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>

namespace {

const QString kAllFiles = QStringLiteral("すべてのファイル (*.*)");
const std::string kNoName = "ファイルを指定して下さい。";
const std::string kMissing = "ファイルが存在しません。";
const std::string kOverwrite = "上書きしてよろしいですか？";

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

QStringList ListedNames(const TFormFileSel& form)
{
    QStringList names;
    for (int row = 0; row < form.LBoxFiles->count(); ++row)
        names << form.LBoxFiles->item(row)->text();
    return names;
}

// Types text into the type edit and presses Enter there, as a user applies
// a pattern of their own.
void TypePattern(TFormFileSel& form, const QString& pattern)
{
    form.EditFileType->setFocus();
    form.EditFileType->selectAll();
    QTest::keyClick(form.EditFileType, Qt::Key_Backspace);
    QTest::keyClicks(form.EditFileType, pattern);
    QTest::keyClick(form.EditFileType, Qt::Key_Return);
}

void TypeName(TFormFileSel& form, const QString& name)
{
    form.EditFileName->clear();
    QTest::keyClicks(form.EditFileName, name);
}

// Runs action once the modal loop of the next ShowModal is running.
void WhileModal(const std::function<void()>& action)
{
    QTimer::singleShot(0, action);
}

TEST(FileSelPropertiesTest, NewComponentDefaults)
{
    TFileSel fs;
    EXPECT_EQ(fs.FileTypes(), QStringList{kAllFiles});
    EXPECT_EQ(fs.FileTypeIndex(), 0);
    EXPECT_EQ(fs.GetFileName(), "");
    const std::string program = ProgramFolder();
    EXPECT_EQ(fs.GetInitialFolder(), program.empty() ? QStringLiteral("/") : Q(program));
    EXPECT_FALSE(fs.FileMustExist());
    EXPECT_FALSE(fs.MultiSelect());
    EXPECT_FALSE(fs.OverwritePrompt());
    EXPECT_TRUE(fs.WildCardFree());
    EXPECT_EQ(fs.NotifyMessage(), 0u);
    EXPECT_EQ(fs.NotifyControl(), nullptr);
    EXPECT_TRUE(fs.FileNames().isEmpty());
    EXPECT_EQ(fs.GetCaption(), "ファイルの選択");
    EXPECT_EQ(fs.DialogWidth(), 585);
    EXPECT_EQ(fs.DialogHeight(), 433);
    EXPECT_EQ(fs.Form(), nullptr);
}

TEST(FileSelPropertiesTest, AddFileTypeKeepsOneOfEachAndClampsTheIndex)
{
    struct Case {
        const char* name;
        const char* patterns;
        int index;
        bool added;
        QStringList types;
    };
    const QString plne = QStringLiteral("設定ファイル (*.plne)");
    const Case cases[] = {
        {"設定ファイル", "*.plne", 0, true, {plne, kAllFiles}},
        {"設定ファイル", "*.PLNE", 1, false, {plne, kAllFiles}},
        {"テキスト", "*.txt,*.log", -5, true, {"テキスト (*.txt,*.log)", plne, kAllFiles}},
        {"画像", "*.png", 99, true, {"テキスト (*.txt,*.log)", plne, kAllFiles, "画像 (*.png)"}},
        {"すべてのファイル", "*.*", 0, false, {"テキスト (*.txt,*.log)", plne, kAllFiles, "画像 (*.png)"}},
    };
    TFileSel fs;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.patterns);
        EXPECT_EQ(fs.AddFileType(QString::fromUtf8(c.name), QString::fromUtf8(c.patterns), c.index), c.added);
        EXPECT_EQ(fs.FileTypes(), c.types);
    }
}

TEST(FileSelPropertiesTest, DeleteClearAndIndex)
{
    TFileSel fs;
    fs.AddFileType(QStringLiteral("設定ファイル"), QStringLiteral("*.plne"), 0);
    EXPECT_FALSE(fs.DeleteFileType(QStringLiteral("(*.PLNE)")));
    EXPECT_TRUE(fs.DeleteFileType(QStringLiteral("(*.*)")));
    EXPECT_EQ(fs.FileTypes(), QStringList{"設定ファイル (*.plne)"});

    struct Case {
        int set;
        int stored;
    };
    for (const Case c : {Case{0, 0}, Case{1, 0}, Case{7, 0}, Case{-1, -1}}) {
        fs.SetFileTypeIndex(c.set);
        EXPECT_EQ(fs.FileTypeIndex(), c.stored) << c.set;
    }
    fs.ClearFileType();
    EXPECT_TRUE(fs.FileTypes().isEmpty());
    EXPECT_FALSE(fs.DeleteFileType(QStringLiteral("*")));

    fs.SetInitialFolder(QStringLiteral("/somewhere"));
    EXPECT_EQ(fs.GetInitialFolder(), "/somewhere");
}

class FileSelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.Write("folder/a.txt", "a");
        dir.Write("folder/b.log", "b");
        dir.Write("folder/c.dat", "c");
        dir.Write("folder/.hidden.txt", "h");
        dir.Write("folder/Readme.TXT", "r");
        dir.Write("folder/a.txt.log", "al");
        dir.Write("folder/old.plne", "p");
        dir.MakeFolder("folder/sub.txt");
        dir.MakeFolder("other");
        fs.SetInitialFolder(Q(dir / "folder"));
    }
    void TearDown() override
    {
        if (fs.Form() != nullptr)
            fs.Form()->hide();
    }
    TFormFileSel& ShowForm()
    {
        fs.Show();
        // Focus moves only inside the active window.
        EXPECT_TRUE(QTest::qWaitForWindowActive(fs.Form()));
        return *fs.FileForm();
    }

    ScratchDir dir;
    TFileSel fs;
};

TEST_F(FileSelTest, FormHasTheDesignedLayout)
{
    TFormFileSel& form = ShowForm();
    EXPECT_EQ(form.size(), QSize(577, 406));
    EXPECT_EQ(form.windowTitle(), "ファイルの選択");
    struct Case {
        const QWidget* control;
        QRect place;
    };
    const Case cases[] = {
        {form.Panel1, {16, 16, 545, 273}},
        {form.EViewLite, {0, 0, 217, 273}},
        {form.LBoxFiles, {221, 0, 324, 273}},
        {form.Label1, {16, 308, 71, 13}},
        {form.EditFileName, {96, 304, 465, 20}},
        {form.Label2, {16, 340, 47, 13}},
        {form.EditFileType, {96, 336, 137, 21}},
        {form.CBoxFileType, {240, 336, 321, 21}},
        {form.ButtonOk, {352, 368, 97, 25}},
        {form.ButtonCancel, {464, 368, 97, 25}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control->objectName().toStdString());
        EXPECT_EQ(c.control->geometry(), c.place);
    }
    EXPECT_TRUE(form.ButtonOk->isDefault());
    EXPECT_EQ(form.Label1->buddy(), form.EditFileName);
    EXPECT_EQ(form.Label2->buddy(), form.EditFileType);
    EXPECT_TRUE(form.LBoxFiles->isSortingEnabled());
}

TEST_F(FileSelTest, ShowOpensOnTheInitialFolderWithTheFirstType)
{
    TFormFileSel& form = ShowForm();
    EXPECT_EQ(form.CBoxFileType->count(), 1);
    EXPECT_EQ(form.CBoxFileType->currentText(), kAllFiles);
    EXPECT_EQ(form.EditFileType->text(), "*.*");
    EXPECT_EQ(form.EViewLite->FolderName(), Q(dir / "folder"));
    EXPECT_EQ(form.EViewLite->toolTip(), Q(dir / "folder/"));
    // Files only, hidden included, in order; a folder named like a file is
    // not one.
    EXPECT_EQ(ListedNames(form),
              (QStringList{".hidden.txt", "Readme.TXT", "a.txt", "a.txt.log", "b.log", "c.dat", "old.plne"}));
    EXPECT_EQ(form.LBoxFiles->selectionMode(), QAbstractItemView::SingleSelection);
}

TEST_F(FileSelTest, TypeAddedAtZeroIsPreselected)
{
    fs.AddFileType(QStringLiteral("設定ファイル"), QStringLiteral("*.plne"), 0);
    TFormFileSel& form = ShowForm();
    EXPECT_EQ(form.CBoxFileType->currentIndex(), 0);
    EXPECT_EQ(form.EditFileType->text(), "*.plne");
    EXPECT_EQ(ListedNames(form), QStringList{"old.plne"});
    // Choosing the other type lists by its patterns.
    form.CBoxFileType->setFocus();
    QTest::keyClick(form.CBoxFileType, Qt::Key_Down);
    EXPECT_EQ(form.EditFileType->text(), "*.*");
    EXPECT_EQ(form.LBoxFiles->count(), 7);
}

TEST_F(FileSelTest, PatternListsAreSplitAtCommasAndNotTrimmed)
{
    struct Case {
        const char* patterns;
        QStringList names;
    };
    const Case cases[] = {
        {"*.txt,*.log", {".hidden.txt", "a.txt", "a.txt.log", "b.log"}},
        {"*.txt,a*", {".hidden.txt", "a.txt", "a.txt.log"}}, // a.txt once
        {"*.txt, *.log", {".hidden.txt", "a.txt"}},
        {"*.txt,", {".hidden.txt", "a.txt"}},
        {"*.TXT", {"Readme.TXT"}},
        {"nothing*", {}},
        {"", {".hidden.txt", "Readme.TXT", "a.txt", "a.txt.log", "b.log", "c.dat", "old.plne"}},
    };
    TFormFileSel& form = ShowForm();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.patterns);
        TypePattern(form, QString::fromUtf8(c.patterns));
        EXPECT_EQ(ListedNames(form), c.names);
        EXPECT_EQ(form.CBoxFileType->currentIndex(), -1);
    }
    // An empty type edit is filled with the all-files pattern.
    EXPECT_EQ(form.EditFileType->text(), "*.*");
}

TEST_F(FileSelTest, TypedPatternAppliesWhenTheEditLosesFocus)
{
    TFormFileSel& form = ShowForm();
    form.EditFileType->setFocus();
    EXPECT_FALSE(form.ButtonOk->isDefault());
    form.EditFileType->selectAll();
    QTest::keyClicks(form.EditFileType, QStringLiteral("*.dat"));
    EXPECT_EQ(form.LBoxFiles->count(), 7);
    form.EditFileName->setFocus();
    EXPECT_TRUE(form.ButtonOk->isDefault());
    EXPECT_EQ(ListedNames(form), QStringList{"c.dat"});
    EXPECT_EQ(form.CBoxFileType->currentIndex(), -1);
}

TEST_F(FileSelTest, ReadOnlyTypeEditWithoutWildCardFree)
{
    fs.SetWildCardFree(false);
    TFormFileSel& form = ShowForm();
    EXPECT_TRUE(form.EditFileType->isReadOnly());
}

TEST_F(FileSelTest, ChoosingAFolderListsItsFilesAndClickingAFileNamesIt)
{
    TFormFileSel& form = ShowForm();
    form.EViewLite->SetFolderName(Q(dir / "other"));
    EXPECT_EQ(form.LBoxFiles->count(), 0);
    EXPECT_EQ(form.EViewLite->toolTip(), Q(dir / "other/"));
    form.EViewLite->SetFolderName(Q(dir / "folder"));
    QListWidgetItem* item = form.LBoxFiles->findItems(QStringLiteral("b.log"), Qt::MatchExactly).value(0);
    ASSERT_NE(item, nullptr);
    QTest::mouseClick(form.LBoxFiles->viewport(), Qt::LeftButton, {},
                      form.LBoxFiles->visualItemRect(item).center());
    EXPECT_EQ(form.EditFileName->text(), "b.log");
}

TEST_F(FileSelTest, OkChecksInOrder)
{
    struct Case {
        const char* label;
        bool mustExist;
        bool prompt;
        const char* name;
        int answer;
        std::vector<std::string> messages;
        bool accepted;
        const char* shownName; // what the name edit shows afterwards
    };
    const Case cases[] = {
        {"empty name", true, true, "", IDYES, {kNoName}, false, ""},
        {"missing file", true, false, "new", IDOK, {kMissing}, false, "new.plne"},
        {"folder counts as missing", true, false, "sub.txt", IDOK, {kMissing}, false, "sub.txt"},
        {"existing, must exist", true, false, "old", IDOK, {}, true, "old.plne"},
        {"overwrite declined", false, true, "old.plne", IDNO, {kOverwrite}, false, "old.plne"},
        {"overwrite accepted", false, true, "old.plne", IDYES, {kOverwrite}, true, "old.plne"},
        {"new file with prompt", false, true, "new", IDNO, {}, true, "new.plne"},
        {"no checks", false, false, "anything", IDNO, {}, true, "anything.plne"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TFileSel dialog;
        dialog.AddFileType(QStringLiteral("設定ファイル"), QStringLiteral("*.plne"), 0);
        dialog.SetInitialFolder(Q(dir / "folder"));
        dialog.SetFileMustExist(c.mustExist);
        dialog.SetOverwritePrompt(c.prompt);
        RecordingMessageBox boxes("ペロリン", c.answer);
        int result = -1;
        WhileModal([&] {
            TFormFileSel& form = *dialog.FileForm();
            TypeName(form, QString::fromUtf8(c.name));
            QTest::mouseClick(form.ButtonOk, Qt::LeftButton);
            EXPECT_EQ(form.EditFileName->text(), QString::fromUtf8(c.shownName));
            if (form.isVisible())
                form.ButtonCancelClick();
        });
        result = dialog.ShowModal();
        std::vector<std::string> texts;
        for (const auto& shown : boxes.shown) {
            texts.push_back(shown.text);
            EXPECT_EQ(shown.caption, "ペロリン"); // asked for with an empty caption
            EXPECT_EQ(shown.flags, shown.text == kOverwrite ? (MB_YESNO | MB_ICONEXCLAMATION)
                                                            : (MB_OK | MB_ICONEXCLAMATION));
        }
        EXPECT_EQ(texts, c.messages);
        EXPECT_EQ(result, c.accepted ? mrOk : mrCancel);
        EXPECT_EQ(dialog.GetFileName(),
                  c.accepted ? Q(dir / "folder/") + QString::fromUtf8(c.shownName) : QString());
        dialog.FileForm()->hide();
    }
}

TEST_F(FileSelTest, AddDefaultExtTakesTheFirstPatternsExtension)
{
    struct Case {
        const char* result;
        const char* type;
        const char* expected;
    };
    const Case cases[] = {
        {"/d/backup", "*.plne", "/d/backup.plne"},
        {"/d/backup", "*.*", "/d/backup"},
        {"/d/backup", "*.plne,*.txt", "/d/backup.plne"},
        {"/d/backup", "*.pl?e", "/d/backup"},
        {"/d/backup", "*", "/d/backup"},
        {"/d/backup", "a,b.txt", "/d/backup"},
        {"/d/backup.old", "*.plne", "/d/backup.old"},
        {"/d.dir/backup", "*.plne", "/d.dir/backup.plne"},
    };
    TFormFileSel& form = ShowForm();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        form.ResultName = QString::fromUtf8(c.result);
        form.EditFileType->setText(QString::fromUtf8(c.type));
        form.AddDefaultExt();
        EXPECT_EQ(form.ResultName, QString::fromUtf8(c.expected));
    }
}

TEST_F(FileSelTest, MultiSelectGivesTheSelectedFilesAndTheTypedName)
{
    fs.SetMultiSelect(true);
    WhileModal([&] {
        TFormFileSel& form = *fs.FileForm();
        EXPECT_EQ(form.LBoxFiles->selectionMode(), QAbstractItemView::ExtendedSelection);
        for (const char* name : {"b.log", "a.txt"}) {
            QListWidgetItem* item = form.LBoxFiles->findItems(QString::fromUtf8(name), Qt::MatchExactly).value(0);
            QTest::mouseClick(form.LBoxFiles->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              form.LBoxFiles->visualItemRect(item).center());
        }
        // The last clicked name is in the edit; it is not added twice.
        EXPECT_EQ(form.EditFileName->text(), "a.txt");
        QTest::mouseClick(form.ButtonOk, Qt::LeftButton);
    });
    ASSERT_EQ(fs.ShowModal(), mrOk);
    EXPECT_EQ(fs.FileNames(), (QStringList{Q(dir / "folder/a.txt"), Q(dir / "folder/b.log")}));
    EXPECT_EQ(fs.GetFileName(), Q(dir / "folder/a.txt"));

    WhileModal([&] {
        TFormFileSel& form = *fs.FileForm();
        TypeName(form, QStringLiteral("typed.dat"));
        QTest::mouseClick(form.ButtonOk, Qt::LeftButton);
    });
    ASSERT_EQ(fs.ShowModal(), mrOk);
    EXPECT_EQ(fs.FileNames(), (QStringList{Q(dir / "folder/typed.dat")}));
}

TEST_F(FileSelTest, CancelLeavesEveryProperty)
{
    fs.AddFileType(QStringLiteral("設定ファイル"), QStringLiteral("*.plne"), 0);
    fs.SetFileName(QStringLiteral("/x/keep.plne"));
    const int left = fs.Left();
    WhileModal([&] {
        TFormFileSel& form = *fs.FileForm();
        EXPECT_EQ(form.EditFileName->text(), "keep.plne");
        TypeName(form, QStringLiteral("other"));
        TypePattern(form, QStringLiteral("*.dat"));
        form.EViewLite->SetFolderName(Q(dir / "other"));
        form.move(form.pos() + QPoint(30, 30));
        QTest::mouseClick(form.ButtonCancel, Qt::LeftButton);
    });
    EXPECT_EQ(fs.ShowModal(), mrCancel);
    EXPECT_EQ(fs.GetFileName(), "/x/keep.plne");
    EXPECT_EQ(fs.GetInitialFolder(), Q(dir / "folder"));
    EXPECT_EQ(fs.FileTypeIndex(), 0);
    EXPECT_EQ(fs.Left(), left);
    EXPECT_TRUE(fs.FileNames().isEmpty());
}

TEST_F(FileSelTest, TypedPatternGivesIndexMinusOneAndStaysForTheNextShow)
{
    fs.AddFileType(QStringLiteral("設定ファイル"), QStringLiteral("*.plne"), 0);
    WhileModal([&] {
        TFormFileSel& form = *fs.FileForm();
        TypePattern(form, QStringLiteral("*.dat"));
        TypeName(form, QStringLiteral("c.dat"));
        QTest::mouseClick(form.ButtonOk, Qt::LeftButton);
    });
    ASSERT_EQ(fs.ShowModal(), mrOk);
    EXPECT_EQ(fs.FileTypeIndex(), -1);
    EXPECT_EQ(fs.GetFileName(), Q(dir / "folder/c.dat"));
    EXPECT_EQ(fs.GetInitialFolder(), Q(dir / "folder"));

    WhileModal([&] {
        TFormFileSel& form = *fs.FileForm();
        EXPECT_EQ(form.EditFileType->text(), "*.dat");
        EXPECT_EQ(ListedNames(form), QStringList{"c.dat"});
        EXPECT_EQ(form.EditFileName->text(), "c.dat");
        form.ButtonCancelClick();
    });
    fs.ShowModal();
}

TEST_F(FileSelTest, MissingInitialFolderSelectsNothing)
{
    TFileSel dialog;
    dialog.SetInitialFolder(Q(dir / "missing"));
    WhileModal([&] {
        TFormFileSel& form = *dialog.FileForm();
        EXPECT_EQ(form.EViewLite->PathName(), "");
        EXPECT_EQ(form.LBoxFiles->count(), 0);
        TypeName(form, QStringLiteral("bare"));
        QTest::mouseClick(form.ButtonOk, Qt::LeftButton);
    });
    ASSERT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_EQ(dialog.GetFileName(), "bare");
    EXPECT_EQ(dialog.GetInitialFolder(), "");

    // Later, a missing folder leaves the tree where it was.
    dialog.SetInitialFolder(Q(dir / "folder"));
    WhileModal([&] { dialog.FileForm()->ButtonCancelClick(); });
    dialog.ShowModal();
    dialog.SetInitialFolder(Q(dir / "missing"));
    WhileModal([&] {
        EXPECT_EQ(dialog.FileForm()->EViewLite->FolderName(), Q(dir / "folder"));
        dialog.FileForm()->ButtonCancelClick();
    });
    dialog.ShowModal();
}

TEST_F(FileSelTest, SuccessfulOkNotifiesTheControl)
{
    class Receiver : public QObject {
    public:
        bool event(QEvent* event) override
        {
            if (event->type() == QEvent::User + 7)
                ++received;
            return QObject::event(event);
        }
        int received = 0;
    } receiver;
    fs.SetNotifyControl(&receiver);
    fs.SetNotifyMessage(QEvent::User + 7);
    WhileModal([&] {
        TypeName(*fs.FileForm(), QStringLiteral("a.txt"));
        QTest::keyClick(fs.FileForm()->EditFileName, Qt::Key_Return); // the default button
    });
    ASSERT_EQ(fs.ShowModal(), mrOk);
    EXPECT_EQ(receiver.received, 1);
    EXPECT_EQ(fs.GetFileName(), Q(dir / "folder/a.txt"));

    // A built-in event type is not sent: its handler would look for data a
    // bare event does not carry.
    class TimerWatcher : public QObject {
    public:
        void timerEvent(QTimerEvent*) override { ++timers; }
        int timers = 0;
    } watcher;
    fs.SetNotifyControl(&watcher);
    fs.SetNotifyMessage(QEvent::Timer);
    WhileModal([&] { QTest::mouseClick(fs.FileForm()->ButtonOk, Qt::LeftButton); });
    ASSERT_EQ(fs.ShowModal(), mrOk);
    EXPECT_EQ(watcher.timers, 0);
}

} // namespace
