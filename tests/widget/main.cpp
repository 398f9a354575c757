// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QFont>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("ＦＡ ゴシック"), QStringLiteral("IPAGothic"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
