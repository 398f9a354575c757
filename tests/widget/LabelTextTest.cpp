// SPDX-License-Identifier: MIT
// Every label of the monitor window shows its whole text: the unit labels for
// each unit in the Gothic face the window prefers and in the sans-serif face
// it falls back to, and all labels in every layout, where a label is either
// wholly shown or wholly out of sight.
#include "FormFixture.h"

#include "platform/qt/TImageControl.h"
#include "settings/SettingsRegistry.h"

#include <QFontDatabase>
#include <QLabel>
#include <QLayout>
#include <QPainter>

#include <string>

namespace {

const char* const kUnitLabels[] = {"LabelMemUnit", "LabelMemDiffeUnit", "LabelSwapUnit", "LabelSwapDiffeUnit"};
const char* const kNameLabels[] = {"LabelMem", "LabelMemDiffe", "LabelSwap", "LabelSwapDiffe"};

// The pixels the label's text covers, in the coordinates of the label's
// parent, found by painting it the way the label paints plain text but
// without clipping it to the label's rectangle. An empty rectangle for no text.
QRect TextInk(const QLabel& label)
{
    constexpr int kSpare = 32;
    QImage image(label.size() + QSize(2 * kSpare, 2 * kSpare), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setFont(label.font());
        painter.setPen(Qt::black);
        painter.drawText(label.contentsRect().translated(kSpare, kSpare), static_cast<int>(label.alignment()) | Qt::TextDontClip,
                         label.text());
    }
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink.isNull() ? QRect() : ink.translated(label.pos() - QPoint(kSpare, kSpare));
}

// What a label shows of its text: all of it, nothing (outside the window or
// under an image, which lies above the labels), or only a part.
std::string Showing(const QLabel& label, const QRect& window, const std::vector<QRect>& images)
{
    const QRect ink = TextInk(label);
    if (ink.isNull())
        return "no text";
    if (!ink.intersects(window))
        return "out of sight";
    for (const QRect& image : images) {
        if (image.contains(ink))
            return "out of sight";
    }
    if (!label.geometry().contains(ink))
        return "cut by the label: text " + std::to_string(ink.width()) + " x " + std::to_string(ink.height())
               + " at " + std::to_string(ink.x() - label.x()) + "," + std::to_string(ink.y() - label.y())
               + " in " + std::to_string(label.width()) + " x " + std::to_string(label.height());
    if (!window.contains(ink))
        return "cut by the window";
    return "whole";
}

class LabelText : public FormFixture {
protected:
    TFormPLN& CreateWith(int32_t unit, int32_t style)
    {
        TCustomSet set;
        set.Unit = unit;
        set.BaseWinStyle = style;
        SaveSetting(store, 100, 100, false, TExitState{}, set);
        TFormPLN& w = Create();
        w.layout()->activate();
        return w;
    }

    QLabel& Label(TFormPLN& w, const char* name) { return *w.findChild<QLabel*>(QString::fromLatin1(name)); }
};

} // namespace

TEST_F(LabelText, UnitLabelsShowEveryUnitInBothFaces)
{
    const QStringList installed = QFontDatabase::families();
    for (const char* family : {"IPAGothic", "DejaVu Sans"}) {
        if (!installed.contains(QString::fromLatin1(family))) {
            ADD_FAILURE() << family << " is not installed (fonts-ipafont-gothic, fonts-dejavu-core)";
            continue;
        }
        for (int32_t unit : {0, 1, 2}) {
            TFormPLN& w = CreateWith(unit, 0);
            QFont face = w.font();
            face.setFamily(QString::fromLatin1(family));
            w.setFont(face);
            for (const char* name : kUnitLabels) {
                const QLabel& label = Label(w, name);
                EXPECT_EQ(label.font().family(), QString::fromLatin1(family));
                EXPECT_TRUE(label.geometry().contains(TextInk(label)))
                    << family << ", " << label.text().toStdString() << ", " << name << ": "
                    << Showing(label, w.rect(), {});
            }
        }
    }
}

TEST_F(LabelText, EveryLabelWholeOrOutOfSightInEveryLayout)
{
    for (int32_t unit : {0, 1, 2}) {
        for (int32_t style = 0; style <= 8; ++style) {
            TFormPLN& w = CreateWith(unit, style);
            ASSERT_EQ(w.CurrentWinStyle(), style);
            const QWidget* panel = w.findChild<QWidget*>(QStringLiteral("PanelPelorin"));
            // The panel's own frame is no place for text either.
            const QRect window = panel->contentsRect();
            std::vector<QRect> images;
            for (int i = 0; i < 4; ++i)
                images.push_back(w.Image(i)->geometry());
            int whole = 0;
            for (const char* const* names : {kNameLabels, kUnitLabels}) {
                for (int i = 0; i < 4; ++i) {
                    const std::string showing = Showing(Label(w, names[i]), window, images);
                    EXPECT_TRUE(showing == "whole" || showing == "out of sight")
                        << "unit " << unit << ", style " << style << ", " << names[i] << ": " << showing;
                    whole += showing == "whole";
                }
            }
            // The layouts with name labels show at least the memory row's two.
            const bool named = style <= 2 || style == 5 || style == 6;
            EXPECT_GE(whole, named ? 2 : 0) << "style " << style;
        }
    }
}
