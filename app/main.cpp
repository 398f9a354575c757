// SPDX-License-Identifier: MIT
#include "app/TFormPLN.h"
#include "app/TFormServices.h"
#include "platform/InstanceLock.h"
#include "platform/LinuxProcessLauncher.h"
#include "platform/ProcMemorySource.h"
#include "platform/RegStore.h"
#include "platform/qt/LastChanceSave.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/TerminationWatcher.h"
#include "platform/x11/X11WindowSystem.h"
#include "platform/x11/XsmpClient.h"
#include "settings/Literals.h"
#include "shared/ProgramPath.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdlib>
#include <exception>

int main(int argc, char* argv[])
{
    // A borderless window that places itself, stays on top and activates
    // another window needs X11; under Wayland this runs through XWayland.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "xcb", 1);

    // The program speaks to the session manager itself: Qt's own client
    // does not report a shutdown that was called off.
    const std::string sessionManager = TakeSessionManagerAddress();
    QApplication app(argc, argv);
    RestoreSessionManagerAddress(sessionManager);
    try {
        ProcMemorySource memory;
        RegStore store(RegStore::DefaultPath());
        X11WindowSystem windows;
        InstanceLock lock(InstanceLock::DefaultPath(lit::MutexName));
        std::vector<std::string> args(argv + 1, argv + argc);
        LinuxProcessLauncher launcher;
        TFormServices services{memory, store, windows, lock, std::move(args), ProgramFolder(), launcher};

        TFormPLN* form = nullptr;
        QtMessageBox messages([&form] {
            return form ? form->windowTitle().toStdString() : std::string("ペロリン");
        });
        SetMessageBoxHandler(&messages);

        TFormPLN window(services);
        form = &window;
        if (window.AnotherRunning())
            return 0;

        // The end of the session arrives from the session manager, as a
        // signal, or as the display going away (Qt then exits the process
        // from within; only plain data may be used on that path).
        const auto quit = [] { QCoreApplication::quit(); };
        XsmpClient session(window, sessionManager, quit);
        TerminationWatcher termination(window, quit);
        SetLastChanceSave([snapshot = window.SnapshotHolder(), &store] {
            const TExitSnapshot last = snapshot->Get();
            WriteRestoreShortcut(last);
            SaveOnExit(store, last);
        });

        window.ShowAtStart();
        const int result = app.exec();
        DisarmLastChanceSave();
        SetMessageBoxHandler(nullptr);
        return result;
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QStringLiteral("ペロリン"), QString::fromLocal8Bit(error.what()));
        return 0;
    }
}
