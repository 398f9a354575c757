// SPDX-License-Identifier: MIT
// The monitor window on Qt's offscreen platform with figures chosen by the
// test: what the bars and difference rows show, the unit labels, the title
// while minimised, the refresh timer, and the single-copy start.
#include "FormFixture.h"

#include "app/MeterPainter.h"
#include "platform/qt/Canvas.h"
#include "platform/qt/TImageControl.h"
#include "settings/HelpBrowser.h"
#include "settings/Literals.h"
#include "settings/SettingsRegistry.h"
#include "../unit/RecordingMessageBox.h"

#include <QLabel>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <map>

namespace {

const QRgb kUsed = qRgb(255, 153, 153);
const QRgb kFree = qRgb(153, 255, 153);

enum ImageIndex { Mem = 0, MemDiffe = 1, Swap = 2, SwapDiffe = 3 };

// The picture the window should have drawn, made with the same painter on a
// fresh bitmap of the same size.
QImage ExpectedMeter(const TImageControl& like, uint64_t value, uint64_t maximum, const QFont& font)
{
    QImage image(like.Bitmap().size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    Canvas canvas(image, font);
    meter::DrawMeter(canvas, image.width(), image.height(), value, maximum);
    return image;
}

QImage ExpectedDifferences(const TImageControl& like, int64_t left, int64_t right, const QFont& font,
                           const QColor& background)
{
    QImage image(like.Bitmap().size(), QImage::Format_RGB32);
    Canvas canvas(image, font);
    canvas.SetBrushColor(background);
    canvas.FillRect(0, 0, image.width(), image.height());
    meter::DrawDiffeLeft(canvas, left);
    meter::DrawDiffeRight(canvas, image.width(), right);
    return image;
}

void StoreSettings(RegStore& store, const TCustomSet& set, bool minimized = false)
{
    SaveSetting(store, 100, 100, minimized, TExitState{}, set);
}

} // namespace

// The bar's inside runs from x = 1 to W - 2; rows 1 and 2 lie above the text.
struct MeterCase {
    const char* name;
    uint64_t value;
    uint64_t maximum;
    int greenUpTo;  // last green column, 0 for none
};

class MeterDrawing : public ::testing::TestWithParam<MeterCase> {};

TEST_P(MeterDrawing, FreePartAndFrame)
{
    const MeterCase c = GetParam();
    QImage image(137, 17, QImage::Format_RGB32);
    image.fill(Qt::white);
    Canvas canvas(image, QFont(QStringLiteral("IPAGothic")));
    meter::DrawMeter(canvas, 137, 17, c.value, c.maximum);

    for (int x = 0; x < 137; ++x) {
        EXPECT_EQ(image.pixel(x, 0), qRgb(0, 0, 0)) << "top frame at " << x;
        EXPECT_EQ(image.pixel(x, 16), qRgb(0, 0, 0)) << "bottom frame at " << x;
    }
    for (int y = 0; y < 17; ++y) {
        EXPECT_EQ(image.pixel(0, y), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(136, y), qRgb(0, 0, 0));
    }
    for (int x = 1; x <= 135; ++x)
        for (int y : {1, 2})
            EXPECT_EQ(image.pixel(x, y), x <= c.greenUpTo ? kFree : kUsed) << c.name << " x=" << x;
}

INSTANTIATE_TEST_SUITE_P(Cases, MeterDrawing,
    ::testing::Values(MeterCase{"all_free", 8000, 8000, 135},
                      MeterCase{"none_free", 0, 8000, 0},
                      MeterCase{"half_free", 4000, 8000, 67},  // X = trunc(135 * 0.5 + 1) = 68: columns 1..67
                      MeterCase{"no_swap", 0, 0, 0},
                      MeterCase{"above_maximum", 9000, 8000, 135},
                      MeterCase{"beyond_32_bits", 48ull << 30, 64ull << 30, 101}),
    [](const auto& info) { return std::string(info.param.name); });

// half_free above: X = trunc(135 * 0.5 + 1) = 68 fills columns 1..67.
TEST(MeterDrawingEdges, HalfFillEndsBeforeX)
{
    EXPECT_EQ(meter::FreePartEnd(137, 4000, 8000), 68);
    EXPECT_EQ(meter::FreePartEnd(137, 8000, 8000), 136);
    EXPECT_EQ(meter::FreePartEnd(137, 1, 0), 1);
}

using MonitorWindow = FormFixture;

TEST_F(MonitorWindow, FirstReadingShowsFullAmountsAsDifferences)
{
    memory.next.Mem = {3ull << 30, 16ull << 30};  // beyond 32 bits on purpose
    TFormPLN& w = Create();
    const QFont font = w.font();
    const QColor panel = w.findChild<QWidget*>(QStringLiteral("PanelPelorin"))->palette().color(QPalette::Window);
    const uint64_t kb = 1024;

    EXPECT_EQ(w.Image(Mem)->Bitmap(), ExpectedMeter(*w.Image(Mem), (3ull << 30) / kb, (16ull << 30) / kb, font));
    EXPECT_EQ(w.Image(MemDiffe)->Bitmap(),
              ExpectedDifferences(*w.Image(MemDiffe), (3ll << 30) / 1024, (16ll << 30) / 1024, font, panel));
    EXPECT_EQ(w.Image(Swap)->Bitmap(), ExpectedMeter(*w.Image(Swap), 3'000'000 / kb, 4'000'000 / kb, font));
    EXPECT_EQ(w.Image(SwapDiffe)->Bitmap(),
              ExpectedDifferences(*w.Image(SwapDiffe), 3'000'000 / 1024, 4'000'000 / 1024, font, panel));

    // The next reading counts from this one: an unchanged total shows +0.
    memory.next.Mem = {(3ull << 30) - 1023, 16ull << 30};
    w.PmUpdateClick();
    EXPECT_EQ(w.Image(MemDiffe)->Bitmap(), ExpectedDifferences(*w.Image(MemDiffe), 0, 0, font, panel))
        << "-1023 bytes in KB is +0";
}

TEST_F(MonitorWindow, FailedSwapReadKeepsTheLastSwapDrawing)
{
    TFormPLN& w = Create();
    const QImage swapBefore = w.Image(Swap)->Bitmap();
    const QImage swapDiffeBefore = w.Image(SwapDiffe)->Bitmap();
    memory.next.Mem = {1'000'000, 8'000'000};
    memory.next.Swap.reset();
    w.PmUpdateClick();
    EXPECT_EQ(w.Image(Swap)->Bitmap(), swapBefore);
    EXPECT_EQ(w.Image(SwapDiffe)->Bitmap(), swapDiffeBefore);

    // The swap differences then count from the last successful read.
    memory.next.Swap = SwapStatus{4'000'000, 1'000'000};
    w.PmUpdateClick();
    const QColor panel = w.findChild<QWidget*>(QStringLiteral("PanelPelorin"))->palette().color(QPalette::Window);
    EXPECT_EQ(w.Image(SwapDiffe)->Bitmap(), ExpectedDifferences(*w.Image(SwapDiffe), 0, 0, w.font(), panel));
}

struct UnitCase {
    const char* name;
    int32_t unit;
    const char* label;
    uint64_t shownFree;  // of 2'000'000 bytes
};

class MonitorUnits : public FormFixture, public ::testing::WithParamInterface<UnitCase> {};

TEST_P(MonitorUnits, LabelsAndFiguresFollowTheUnit)
{
    const UnitCase c = GetParam();
    TCustomSet set;
    set.Unit = c.unit;
    StoreSettings(store, set);
    TFormPLN& w = Create();
    for (const char* name : {"LabelMemUnit", "LabelMemDiffeUnit", "LabelSwapUnit", "LabelSwapDiffeUnit"})
        EXPECT_EQ(w.findChild<QLabel*>(QString::fromLatin1(name))->text(), QString::fromLatin1(c.label)) << name;
    EXPECT_EQ(w.Image(Mem)->Bitmap(),
              ExpectedMeter(*w.Image(Mem), c.shownFree, 8'000'000 >> (10 * (c.unit >= 0 && c.unit <= 2 ? c.unit : 1)),
                            w.font()));
}

INSTANTIATE_TEST_SUITE_P(Units, MonitorUnits,
    ::testing::Values(UnitCase{"bytes", 0, "[B]", 2'000'000}, UnitCase{"kilobytes", 1, "[KB]", 1953},
                      UnitCase{"megabytes", 2, "[MB]", 1}, UnitCase{"minus_one_reads_kb", -1, "[KB]", 1953},
                      UnitCase{"beyond_the_table_reads_kb", 7, "[KB]", 1953}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MonitorWindow, MinimisedStartShowsTheFiguresInTheTitle)
{
    TCustomSet set;
    set.Unit = 1;
    StoreSettings(store, set, /*minimized=*/true);
    memory.next.Mem = {31852 * 1024 + 1000, 65016 * 1024ull};
    TFormPLN& w = Create();
    EXPECT_TRUE(w.Minimized());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("31852／65016[KB] - ペロリン"));
    // Nothing is drawn while minimised: the bar is still the fresh bitmap.
    QImage fresh(w.Image(Mem)->Bitmap().size(), QImage::Format_RGB32);
    fresh.fill(Qt::white);
    EXPECT_EQ(w.Image(Mem)->Bitmap(), fresh);
}

TEST_F(MonitorWindow, ShownStartCarriesTheProgramTitle)
{
    TFormPLN& w = Create();
    EXPECT_FALSE(w.Minimized());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("ペロリン"));
    EXPECT_EQ(w.size(), QSize(241, 150));
}

struct IntervalCase {
    const char* name;
    bool regular;
    int32_t seconds;
    bool active;
    int intervalMs;
};

class RefreshTimer : public FormFixture, public ::testing::WithParamInterface<IntervalCase> {};

TEST_P(RefreshTimer, IntervalAndEnabling)
{
    const IntervalCase c = GetParam();
    TCustomSet set;
    set.RegularUpdate = c.regular;
    set.UpdateInterval = c.seconds;
    StoreSettings(store, set);
    TFormPLN& w = Create();
    EXPECT_EQ(w.IntervalTimer().isActive(), c.active);
    if (c.active) {
        EXPECT_EQ(w.IntervalTimer().interval(), c.intervalMs);
    }
}

INSTANTIATE_TEST_SUITE_P(Intervals, RefreshTimer,
    ::testing::Values(IntervalCase{"off_by_default", false, 60, false, 0},
                      IntervalCase{"every_minute", true, 60, true, 60000},
                      IntervalCase{"zero_never_fires", true, 0, false, 0},
                      IntervalCase{"negative_never_fires", true, -5, false, 0},
                      IntervalCase{"held_at_the_maximum", true, 2'147'483, true, 2'147'483'000},
                      IntervalCase{"beyond_the_range", true, 2'147'484, true, 2'147'483'647}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MonitorWindow, TimerTakesReadings)
{
    TCustomSet set;
    set.RegularUpdate = true;
    set.UpdateInterval = 1;
    StoreSettings(store, set);
    Create();
    const int before = memory.reads;
    EXPECT_TRUE(QTest::qWaitFor([&] { return memory.reads > before; }, 5000));
}

TEST_F(MonitorWindow, SecondCopyActivatesTheFirstAndTouchesNothing)
{
    TFormPLN& first = Create();
    const uint32_t firstId = static_cast<uint32_t>(first.winId());
    const std::string storedBefore = store.Load().Serialize();

    InstanceLock otherLock(dir.filePath("PelorinMutex").toStdString());
    TFormServices otherServices{memory, store, windows, otherLock, shortcut, {"/Q"}, dir.path().toStdString(), launcher};
    TFormPLN second(otherServices);
    EXPECT_TRUE(second.IsSecondCopy());
    ASSERT_EQ(windows.activated.size(), 1u);
    EXPECT_EQ(windows.activated[0], firstId);
    second.close();
    EXPECT_EQ(store.Load().Serialize(), storedBefore) << "a second copy must not save or publish";
}

TEST_F(MonitorWindow, CloseSavesEverything)
{
    TFormPLN& w = Create();
    w.move(321, 234);
    w.close();
    const RegTree tree = store.Load();
    EXPECT_EQ(tree.ReadInteger("\\Software\\KORVAL\\Pelorin\\ExitState", "MWLeft"), 321);
    EXPECT_EQ(tree.ReadInteger("\\Software\\KORVAL\\Pelorin\\ExitState", "MWTop"), 234);
    EXPECT_EQ(tree.ReadInteger("\\Software\\KORVAL\\Pelorin\\Pref", "UpdateInterval"), 60);
    EXPECT_TRUE(tree.ReadInteger("\\Software\\KORVAL\\Pelorin\\System", "HWND").has_value());
}

TEST_F(MonitorWindow, MenuItemsInOrderWithTheUnbuiltOnesDisabled)
{
    TFormPLN& w = Create();
    struct Item {
        const char* text;
        bool enabled;
    };
    const std::vector<Item> expected = {{"&R・更新", true},           {"", false},
                                        {"&S・設定", true},           {"&M・最小化", true},
                                        {"", false},                  {"&H・ヘルプ", true},
                                        {"&J・作者のホームページ", true}, {"&A・バージョン情報", true},
                                        {"", false},                  {"&X・終了", true}};
    const QList<QAction*> actions = w.PopupMenu()->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        const QAction* action = actions[static_cast<qsizetype>(i)];
        if (expected[i].text[0] == '\0') {
            EXPECT_TRUE(action->isSeparator()) << i;
            continue;
        }
        EXPECT_EQ(action->text(), QString::fromUtf8(expected[i].text)) << i;
        EXPECT_EQ(action->isEnabled(), expected[i].enabled) << i;
    }
    EXPECT_TRUE(w.findChild<QPushButton*>(QStringLiteral("ButtonSetting"))->isEnabled());
}

// The menu's action with that text.
QAction* MenuItem(TFormPLN& w, const char* text)
{
    for (QAction* action : w.PopupMenu()->actions())
        if (action->text() == QString::fromUtf8(text))
            return action;
    return nullptr;
}

TEST_F(MonitorWindow, HelpItemOpensThePageBesideTheProgramInTheBrowserTheSettingsAskFor)
{
    RecordingMessageBox messages;
    launcher.onPath = {{"firefox-esr", "/usr/bin/firefox-esr"}};
    launcher.defaultBrowser = "/usr/bin/default-browser";
    const std::string page = dir.filePath("Pelorin.htm").toStdString();
    TCustomSet set;
    set.UseNN = true;
    StoreSettings(store, set);
    TFormPLN& w = Create();
    MenuItem(w, "&H・ヘルプ")->trigger();
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0].program, "/usr/bin/firefox-esr");
    EXPECT_EQ(launcher.started[0].args, std::vector<std::string>{FileUrl(page) + "#Gamensetsumei"});

    // Without UseNN the default browser, which needs the page to be there.
    form.reset();
    set.UseNN = false;
    StoreSettings(store, set);
    TFormPLN& again = Create();
    MenuItem(again, "&H・ヘルプ")->trigger();
    EXPECT_EQ(launcher.started.size(), 1u);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("\"Pelorin.htm\""), std::string::npos);
    QFile file(QString::fromStdString(page));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    MenuItem(again, "&H・ヘルプ")->trigger();
    ASSERT_EQ(launcher.started.size(), 2u);
    EXPECT_EQ(launcher.started[1].program, "/usr/bin/default-browser");
}

TEST_F(MonitorWindow, HomePageItemHandsTheAddressToTheOpener)
{
    launcher.onPath = {{"xdg-open", "/usr/bin/xdg-open"}};
    TFormPLN& w = Create();
    MenuItem(w, "&J・作者のホームページ")->trigger();
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0].program, "/usr/bin/xdg-open");
    EXPECT_EQ(launcher.started[0].args, std::vector<std::string>{std::string(lit::HomePageUrl)});
}

TEST_F(MonitorWindow, ButtonsTakeAReadingAndOpenTheMenuBesideTheButton)
{
    TFormPLN& w = Create();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const int before = memory.reads;
    QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("ButtonUpdate")), Qt::LeftButton);
    EXPECT_EQ(memory.reads, before + 1);

    auto* vriety = w.findChild<QPushButton*>(QStringLiteral("ButtonVriety"));
    QTest::mouseClick(vriety, Qt::LeftButton);
    ASSERT_TRUE(w.PopupMenu()->isVisible());
    // The button's place on the panel plus the window's outer corner.
    EXPECT_EQ(w.PopupMenu()->pos(), vriety->pos() + w.pos());
    w.PopupMenu()->close();
}

namespace {

// Counts the paint events of each watched widget.
class PaintCounter : public QObject {
public:
    std::map<QObject*, int> paints;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints[watched];
        return false;
    }
};

} // namespace

// A reading repaints the images whose figures changed, and nothing beneath
// them: what is not repainted is not sent to the X server either.
TEST_F(MonitorWindow, AReadingRepaintsOnlyTheImagesItChanged)
{
    TFormPLN& w = Create();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.PmUpdateClick();  // the differences turn from the whole amounts to +0
    QCoreApplication::processEvents();

    PaintCounter counter;
    QWidget* panel = w.findChild<QWidget*>(QStringLiteral("PanelPelorin"));
    panel->installEventFilter(&counter);
    for (int i = 0; i < 4; ++i)
        w.Image(i)->installEventFilter(&counter);

    w.PmUpdateClick();
    QCoreApplication::processEvents();
    EXPECT_TRUE(counter.paints.empty()) << "the same figures again repaint nothing";

    memory.next.Mem = {1'000'000, 8'000'000};
    w.PmUpdateClick();
    EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints[w.Image(MemDiffe)] > 0; }, 5000));
    QCoreApplication::processEvents();
    EXPECT_GT(counter.paints[w.Image(Mem)], 0);
    EXPECT_EQ(counter.paints[w.Image(Swap)], 0);
    EXPECT_EQ(counter.paints[w.Image(SwapDiffe)], 0);
    EXPECT_EQ(counter.paints[panel], 0) << "the panel beneath the images is not painted again";
}
