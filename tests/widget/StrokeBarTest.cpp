// SPDX-License-Identifier: MIT
// The slider bar: its arithmetic, the setters, stroking with the mouse and
// what it draws.
#include "components/TStrokeBar.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QRgb kNavy = qRgb(0x00, 0x00, 0x80);
const QRgb kBlue = qRgb(0x00, 0x00, 0xFF);
const QRgb kWhite = qRgb(0xFF, 0xFF, 0xFF);
const QRgb kGray = qRgb(0x80, 0x80, 0x80);
const QRgb kSilver = qRgb(0xC0, 0xC0, 0xC0);

// The settings dialog's bar: 1 ... 600 over 249 pixels.
void MakeIntervalBar(TStrokeBar& bar)
{
    bar.SetWidth(249);
    bar.SetMax(600);
    bar.SetMin(1);
}

QRgb Pixel(const TStrokeBar& bar, int x, int y)
{
    return bar.Surface().pixel(x, y);
}

// A bar on screen with the mouse state cleared.
class StrokeFixture : public ::testing::Test {
protected:
    StrokeFixture()
    {
        bar.move(100, 100);
        bar.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&bar));
        QObject::connect(&bar, &TStrokeBar::OnChanging, [this] { ++changing; });
        QObject::connect(&bar, &TStrokeBar::OnMouseDown, [this](Qt::MouseButton button, QPoint) {
            downs.emplace_back(button, bar.Value());
        });
    }
    ~StrokeFixture() override
    {
        if (bar.Tracking())
            bar.releaseMouse();
    }

    void Move(int x, int y) { QTest::mouseMove(&bar, QPoint(x, y)); }
    void Click(Qt::MouseButton button, int x, int y) { QTest::mouseClick(&bar, button, {}, QPoint(x, y)); }
    void Leave()
    {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&bar, &leave);
    }
    // Enters the band at the left end and sets the bar end to x.
    void StrokeTo(int x)
    {
        Move(0, 20);
        Move(x, 20);
    }

    TStrokeBar bar;
    int changing = 0;
    std::vector<std::pair<Qt::MouseButton, int>> downs;
};

} // namespace

TEST(StrokeBar, StartsWithTheDefaults)
{
    TStrokeBar bar;
    EXPECT_EQ(bar.size(), QSize(120, 48));
    EXPECT_TRUE(bar.ShowLimit());
    EXPECT_TRUE(bar.ShowValue());
    EXPECT_EQ(bar.MarginTop(), 16);
    EXPECT_EQ(bar.MarginBottom(), 16);
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Value(), 0);
    EXPECT_EQ(bar.XPos(), 0);
    EXPECT_EQ(bar.BarColor().rgb(), kNavy);
    EXPECT_EQ(bar.HighlightColor().rgb(), kBlue);
    EXPECT_EQ(bar.BackBarColor().rgb(), kWhite);
    EXPECT_EQ(bar.BackGroundColor(), bar.palette().color(QPalette::Base));
    EXPECT_EQ(bar.BevelInner(), TStrokeBar::sbNone);
    EXPECT_EQ(bar.BevelOuter(), TStrokeBar::sbNone);
    EXPECT_FALSE(bar.Tracking());
    EXPECT_FALSE(bar.Entered());
}

TEST(StrokeBar, ValueAndBarEndConvertWithTruncation)
{
    struct Case {
        const char* name;
        int setValue;     // given to SetValue
        int xpos;         // bar end it gives
        int value;        // value it leaves
        int clickX;       // then the bar end set to this
        int clickValue;   // and the value that gives
    };
    const Case cases[] = {
        {"sixty", 60, 24, 60, 24, 58},
        {"top", 600, 249, 600, 249, 600},
        {"left end", 60, 24, 60, 0, 1},
        {"middle", 300, 124, 300, 124, 299},
        {"below the range", 0, 0, 1, 0, 1},
        {"above the range", 700, 249, 600, 249, 600},
        {"pointer left of the bar", 300, 124, 300, -40, 1},
        {"pointer right of the bar", 300, 124, 300, 900, 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TStrokeBar bar;
        MakeIntervalBar(bar);
        bar.SetValue(c.setValue);
        EXPECT_EQ(bar.XPos(), c.xpos);
        EXPECT_EQ(bar.Value(), c.value);
        EXPECT_EQ(bar.SavedValue(), c.value);
        EXPECT_EQ(bar.SavedXPos(), c.xpos);
        bar.SetXPos(c.clickX);
        EXPECT_EQ(bar.CalcValue(), c.clickValue);
    }
}

TEST(StrokeBar, LimitSettersKeepTheValueInsideAndLeaveTheSavedPair)
{
    TStrokeBar bar;
    bar.SetValue(80);
    bar.SetMax(50);
    EXPECT_EQ(bar.Value(), 50);
    EXPECT_EQ(bar.XPos(), 120);
    EXPECT_EQ(bar.SavedValue(), 80);
    bar.SetMin(70);
    EXPECT_EQ(bar.Min(), 50);  // not above Max
    bar.SetMax(10);
    EXPECT_EQ(bar.Max(), 50);  // not below Min
    EXPECT_EQ(bar.SavedValue(), 80);

    bar.SetMarginTop(40);
    EXPECT_EQ(bar.MarginTop(), 32);  // 48 - MarginBottom
    bar.SetMarginBottom(-3);
    EXPECT_EQ(bar.MarginBottom(), -3);

    bar.SetWidth(240);
    bar.SetMin(0);
    bar.SetMax(100);
    bar.SetValue(25);
    EXPECT_EQ(bar.XPos(), 60);
    bar.SetWidth(120);
    EXPECT_EQ(bar.XPos(), 30);
}

TEST(StrokeBar, NoRangeOrNoWidthPutsTheBarEndAtZeroWithoutDividing)
{
    TStrokeBar bar;
    bar.SetMin(100);  // Min = Max = 100
    EXPECT_EQ(bar.Value(), 100);
    EXPECT_EQ(bar.XPos(), 0);
    bar.SetXPos(60);
    EXPECT_EQ(bar.CalcValue(), 100);

    TStrokeBar narrow;
    narrow.SetValue(40);
    narrow.SetWidth(0);
    EXPECT_EQ(narrow.XPos(), 0);
    narrow.SetXPos(10);
    EXPECT_EQ(narrow.XPos(), 0);
    EXPECT_EQ(narrow.CalcValue(), 0);
}

TEST(StrokeBar, ProductsBeyond32BitsWrapWithoutFault)
{
    TStrokeBar bar;
    bar.SetMin(-2'000'000'000);
    bar.SetMax(2'000'000'000);
    bar.SetValue(2'000'000'000);
    // (4e9 wrapped) * 120 wrapped, divided by the wrapped range: what 32-bit
    // arithmetic gives, computed without overflowing.
    const int32_t range = static_cast<int32_t>(4'000'000'000u);
    const int32_t product = static_cast<int32_t>(static_cast<uint32_t>(int64_t{range} * 120));
    EXPECT_EQ(bar.XPos(), product / range);
}

TEST_F(StrokeFixture, AMoveIntoTheBandStartsAStrokeAndTheNextMovesSetTheValue)
{
    Move(30, 5);  // above the band
    EXPECT_FALSE(bar.Entered());
    Move(30, 40);  // below it
    EXPECT_FALSE(bar.Entered());

    Move(30, 16);
    EXPECT_TRUE(bar.Tracking());
    EXPECT_TRUE(bar.Entered());
    EXPECT_EQ(QWidget::mouseGrabber(), &bar);
    EXPECT_EQ(bar.Value(), 0);
    EXPECT_EQ(changing, 0);

    Move(60, 16);
    EXPECT_EQ(bar.Value(), 50);
    EXPECT_EQ(changing, 1);
    // While stroking the bar is drawn in the highlight colour.
    EXPECT_EQ(Pixel(bar, 2, 17), kBlue);
    // Every move counts, changed value or not, and the pointer may leave the band.
    Move(60, 2);
    Move(60, 45);
    EXPECT_EQ(changing, 3);
    EXPECT_EQ(bar.Value(), 50);
}

TEST_F(StrokeFixture, ALeftClickFixesTheValue)
{
    StrokeTo(90);
    Click(Qt::LeftButton, 30, 20);
    EXPECT_EQ(bar.Value(), 25);
    EXPECT_EQ(bar.XPos(), 30);
    EXPECT_EQ(bar.SavedValue(), 25);
    EXPECT_EQ(bar.SavedXPos(), 30);
    EXPECT_FALSE(bar.Tracking());
    EXPECT_TRUE(bar.Entered());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(Pixel(bar, 2, 17), kNavy);
    // The handler sees the value already fixed.
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0], std::make_pair(Qt::LeftButton, 25));

    // Settled: moves do nothing until the pointer has left.
    Move(100, 20);
    EXPECT_EQ(bar.Value(), 25);
    EXPECT_FALSE(bar.Tracking());
    Leave();
    EXPECT_FALSE(bar.Entered());
    Move(101, 20);
    EXPECT_TRUE(bar.Tracking());
}

TEST_F(StrokeFixture, ARightClickRestoresTheFixedValue)
{
    bar.SetValue(40);
    StrokeTo(90);
    EXPECT_EQ(bar.Value(), 75);
    Click(Qt::RightButton, 90, 20);
    EXPECT_EQ(bar.Value(), 40);
    EXPECT_EQ(bar.XPos(), 48);
    EXPECT_FALSE(bar.Tracking());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0], std::make_pair(Qt::RightButton, 40));
}

TEST_F(StrokeFixture, TheMiddleButtonDoesNothingWhileStroking)
{
    StrokeTo(90);
    Click(Qt::MiddleButton, 30, 20);
    EXPECT_TRUE(bar.Tracking());
    EXPECT_EQ(bar.Value(), 75);
    EXPECT_TRUE(downs.empty());
    EXPECT_EQ(QWidget::mouseGrabber(), &bar);
}

TEST_F(StrokeFixture, ALeaveNoticeWhileStrokingIsIgnored)
{
    StrokeTo(90);
    Leave();
    EXPECT_TRUE(bar.Tracking());
    EXPECT_TRUE(bar.Entered());
    Move(30, 20);
    EXPECT_EQ(bar.Value(), 25);
}

TEST_F(StrokeFixture, ClicksBeyondTheEndsFixTheLimitsAndCountAsLeaving)
{
    StrokeTo(60);
    Click(Qt::LeftButton, 500, 20);
    EXPECT_EQ(bar.Value(), 100);
    // The pointer clicked outside: the next entry into the band strokes again.
    EXPECT_FALSE(bar.Entered());

    StrokeTo(60);
    Click(Qt::LeftButton, -300, 20);
    EXPECT_EQ(bar.Value(), 0);
    EXPECT_EQ(bar.SavedValue(), 0);
}

TEST_F(StrokeFixture, SettingTheValueDuringAStrokeIsWhatARightClickRestores)
{
    StrokeTo(90);
    bar.SetValue(10);
    Move(100, 20);
    Click(Qt::RightButton, 100, 20);
    EXPECT_EQ(bar.Value(), 10);
    EXPECT_EQ(bar.XPos(), 12);
}

TEST(StrokeBarDrawing, TheBandSplitsAtTheBarEnd)
{
    TStrokeBar bar;
    bar.SetShowValue(false);
    bar.SetValue(25);  // bar end at 30
    EXPECT_EQ(Pixel(bar, 0, 16), kNavy);
    EXPECT_EQ(Pixel(bar, 29, 31), kNavy);
    EXPECT_EQ(Pixel(bar, 30, 16), kWhite);
    EXPECT_EQ(Pixel(bar, 119, 31), kWhite);
    // Outside the band: the background.
    const QRgb background = bar.BackGroundColor().rgb();
    EXPECT_EQ(Pixel(bar, 60, 15), background);
    EXPECT_EQ(Pixel(bar, 60, 32), background);
}

TEST(StrokeBarDrawing, DisabledIsGrayAndSilverWhateverTheColours)
{
    TStrokeBar bar;
    bar.SetShowValue(false);
    bar.SetBarColor(Qt::red);
    bar.SetBackBarColor(Qt::green);
    bar.SetValue(50);
    bar.setEnabled(false);
    EXPECT_EQ(Pixel(bar, 10, 20), kGray);
    EXPECT_EQ(Pixel(bar, 100, 20), kSilver);
    bar.setEnabled(true);
    EXPECT_EQ(Pixel(bar, 10, 20), qRgb(255, 0, 0));
    EXPECT_EQ(Pixel(bar, 100, 20), qRgb(0, 255, 0));
}

TEST(StrokeBarDrawing, TheValueShowsEachPartInTheOtherSidesColour)
{
    TStrokeBar bar;
    bar.SetValue(50);  // bar end at 60, through the middle of "50"
    const int split = bar.XPos();
    int backOnBar = 0;
    int barOnBack = 0;
    for (int y = 16; y < 32; ++y) {
        for (int x = 0; x < bar.width(); ++x) {
            const QRgb p = Pixel(bar, x, y);
            ASSERT_TRUE(p == kNavy || p == kWhite) << x << "," << y;
            if (x < split && p == kWhite)
                ++backOnBar;
            if (x >= split && p == kNavy)
                ++barOnBack;
        }
    }
    EXPECT_GT(backOnBar, 0);
    EXPECT_GT(barOnBack, 0);

    // Without the value the band is plain.
    bar.SetShowValue(false);
    for (int x = 0; x < bar.width(); ++x)
        ASSERT_EQ(Pixel(bar, x, 24), x < split ? kNavy : kWhite) << x;
}

TEST(StrokeBarDrawing, BevelsDrawTheirTwoColours)
{
    TStrokeBar bar;
    bar.SetShowValue(false);
    bar.SetBevelOuter(TStrokeBar::sbLowered);
    const int right = bar.width() - 1;
    const int bottom = 31;
    EXPECT_EQ(Pixel(bar, 0, 16), kGray);
    EXPECT_EQ(Pixel(bar, 0, 25), kGray);
    EXPECT_EQ(Pixel(bar, 50, 16), kGray);
    EXPECT_EQ(Pixel(bar, right, 16), kWhite);
    EXPECT_EQ(Pixel(bar, right, 25), kWhite);
    EXPECT_EQ(Pixel(bar, 50, bottom), kWhite);
    EXPECT_EQ(Pixel(bar, 0, bottom), kWhite);

    bar.SetBevelInner(TStrokeBar::sbRaised);
    EXPECT_EQ(Pixel(bar, 1, 20), kWhite);
    EXPECT_EQ(Pixel(bar, 50, 17), kWhite);
    EXPECT_EQ(Pixel(bar, right - 1, 20), kGray);
    EXPECT_EQ(Pixel(bar, 50, bottom - 1), kGray);
}

TEST(StrokeBarDrawing, CaptionAndLimitsAreWrittenOutsideTheBand)
{
    TStrokeBar bar;
    const QRgb background = bar.BackGroundColor().rgb();
    const auto inked = [&](int x0, int y0, int x1, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (Pixel(bar, x, y) != background)
                    return true;
        return false;
    };
    EXPECT_FALSE(inked(0, 0, 120, 16));
    bar.SetCaption(QStringLiteral("間隔"));
    EXPECT_TRUE(inked(0, 0, 60, 16));
    EXPECT_TRUE(inked(0, 32, 20, 48));    // "0"
    EXPECT_TRUE(inked(100, 32, 120, 48)); // "100"
    bar.SetShowLimit(false);
    EXPECT_FALSE(inked(0, 32, 120, 48));
}

TEST(StrokeBarLeave, OnlyThePointerReallyLeavingEndsASettledStroke)
{
    QWidget window;
    window.resize(300, 100);
    TStrokeBar bar(&window);
    bar.move(10, 10);
    QWidget beside(&window);
    beside.setGeometry(200, 10, 50, 50);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QTest::mouseMove(&bar, QPoint(5, 20));
    QTest::mouseMove(&bar, QPoint(30, 20));
    ASSERT_TRUE(bar.Tracking());
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(30, 20));
    ASSERT_FALSE(bar.Tracking());

    // Moving about inside the control is no leaving.
    QTest::mouseMove(&bar, QPoint(50, 5));
    QTest::mouseMove(&bar, QPoint(50, 40));
    EXPECT_TRUE(bar.Entered());

    QTest::mouseMove(&beside, QPoint(10, 10));
    EXPECT_FALSE(bar.Entered());
    QTest::mouseMove(&bar, QPoint(60, 20));
    EXPECT_TRUE(bar.Tracking());
    QTest::mouseClick(&bar, Qt::RightButton, {}, QPoint(60, 20));
}
