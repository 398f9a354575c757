// SPDX-License-Identifier: MIT
#include "components/ApplicationForms.h"

#include <QApplication>
#include <gtest/gtest.h>

// Qt and fontconfig keep caches for the whole process that a leak check at
// exit would report; the widget tests look for other faults.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ApplicationForms forms;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
