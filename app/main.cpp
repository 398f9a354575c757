// SPDX-License-Identifier: MIT
#include "app/TFormPLN.h"
#include "app/TFormServices.h"
#include "platform/InstanceLock.h"
#include "platform/ProcMemorySource.h"
#include "platform/RegStore.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/x11/X11WindowSystem.h"
#include "shared/ProgramPath.h"

#include <QApplication>
#include <QFont>
#include <QMessageBox>
#include <cstdlib>
#include <exception>

int main(int argc, char* argv[])
{
    // A borderless window that places itself, stays on top and activates
    // another window needs X11; under Wayland this runs through XWayland.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "xcb", 1);

    QApplication app(argc, argv);
    // The form's Japanese Gothic face is not found on Linux desktops; the IPA
    // Gothic face has the same metrics for the 12-pixel text of the monitor.
    QFont::insertSubstitutions(QStringLiteral("ＦＡ ゴシック"),
                               {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"),
                                QStringLiteral("VL Gothic"), QStringLiteral("Sans")});
    try {
        ProcMemorySource memory;
        RegStore store(RegStore::DefaultPath());
        X11WindowSystem windows;
        InstanceLock lock(InstanceLock::DefaultPath());
        std::vector<std::string> args(argv + 1, argv + argc);
        TFormServices services{memory, store, windows, lock, std::move(args), ProgramFolder()};

        TFormPLN* form = nullptr;
        QtMessageBox messages([&form] {
            return form ? form->windowTitle().toStdString() : std::string("ペロリン");
        });
        SetMessageBoxHandler(&messages);

        TFormPLN window(services);
        form = &window;
        if (window.AnotherRunning())
            return 0;
        window.ShowAtStart();
        const int result = app.exec();
        SetMessageBoxHandler(nullptr);
        return result;
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QStringLiteral("ペロリン"), QString::fromLocal8Bit(error.what()));
        return 0;
    }
}
