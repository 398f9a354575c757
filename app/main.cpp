// SPDX-License-Identifier: MIT
#include "app/TFormPLN.h"
#include "app/TFormServices.h"
#include "components/ApplicationForms.h"
#include "platform/InstanceLock.h"
#include "platform/LinuxProcessLauncher.h"
#include "platform/ProcMemorySource.h"
#include "platform/RegStore.h"
#include "platform/qt/LastChanceSave.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/TerminationWatcher.h"
#include "platform/x11/X11WindowSystem.h"
#include "platform/x11/XDisplayProbe.h"
#include "platform/x11/XsmpClient.h"
#include "settings/Literals.h"
#include "settings/SDRLink.h"
#include "shared/ProgramPath.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QScopeGuard>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>

int main(int argc, char* argv[])
{
    // A borderless window that places itself, stays on top and activates
    // another window needs X11; under Wayland this runs through XWayland.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    // Without a display the xcb plugin aborts the process (a core dump where
    // enabled); there is nothing to show the monitor on, so say so and end.
    if (std::strncmp(std::getenv("QT_QPA_PLATFORM"), "xcb", 3) == 0 && !CanOpenXDisplay()) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "ペロリン: X ディスプレイを開けません (DISPLAY=\"%s\")。\n", display ? display : "");
        return 1;
    }

    // The program speaks to the session manager itself: Qt's own client
    // does not report a shutdown that was called off.
    const std::string sessionManager = TakeSessionManagerAddress();
    // Every argument after the program name is the program's own: the
    // toolkit gets the name alone, so that "-reverse", "-style", "-platform",
    // "-display" and the like reach the option parser, which reports them,
    // instead of being acted on and removed. The platform and the display
    // still come from QT_QPA_PLATFORM and DISPLAY. Both must outlive the
    // application object.
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    QApplication app(toolkitArgc, toolkitArgv);
    RestoreSessionManagerAddress(sessionManager);
    // The program's own icon, which every window and the about box show,
    // drawn for each size it is shown at.
    QIcon icon;
    for (const char* size : {"-16", "", "-48"})
        icon.addFile(QStringLiteral(":/pelorin%1.png").arg(QLatin1String(size)));
    QApplication::setWindowIcon(icon);
    // The dialogs' forms are deleted here, before the application object.
    ApplicationForms forms;
    try {
        ProcMemorySource memory;
        RegStore store(RegStore::DefaultPath());
        X11WindowSystem windows;
        InstanceLock lock(InstanceLock::DefaultPath(lit::MutexName));
        SDRLink shortcut;
        std::vector<std::string> args(argv + 1, argv + argc);
        LinuxProcessLauncher launcher;
        TFormServices services{memory, store, windows, lock, shortcut, std::move(args), ProgramFolder(), launcher};

        TFormPLN* form = nullptr;
        QtMessageBox messages([&form] {
            return form ? form->windowTitle().toStdString() : std::string("ペロリン");
        });
        SetMessageBoxHandler(&messages);

        // The end of the session arrives from the session manager, as a
        // signal, or as the display going away (Qt then exits the process
        // from within; only plain data may be used on that path). The window
        // answers it from the moment its settings are loaded, which is before
        // start-up messages for bad options can open.
        bool sessionOver = false;
        const auto quit = [&sessionOver] {
            sessionOver = true;
            // quit() ends only a main loop that has begun. During start-up
            // the one loop running is a message's: that message is closed
            // instead, and any still to come go to standard error.
            SetMessageBoxHandler(nullptr);
            if (QWidget* message = QApplication::activeModalWidget())
                message->close();
            QCoreApplication::quit();
        };
        std::optional<XsmpClient> session;
        std::optional<TerminationWatcher> termination;
        services.settingsLoaded = [&](TFormPLN& loaded) {
            session.emplace(loaded, sessionManager, quit);
            termination.emplace(loaded, quit);
            SetLastChanceSave([snapshot = loaded.SnapshotHolder(), &store, &shortcut] {
                const TExitSnapshot last = snapshot->Get();
                WriteRestoreShortcut(shortcut, last);
                WriteExitSnapshot(store, last);
            });
        };

        TFormPLN window(services);
        form = &window;
        // Every way out: the watchers go before the window they report to,
        // and the save that exit would run is not wanted once main returns.
        const auto stopWatching = qScopeGuard([&] {
            termination.reset();
            session.reset();
            DisarmLastChanceSave();
            SetMessageBoxHandler(nullptr);
        });
        if (window.IsSecondCopy() || sessionOver)
            return 0;

        window.ShowAtStart();
        return app.exec();
    } catch (const std::exception& error) {
        // A start-up that failed is no end of the session to bring back from.
        DisarmLastChanceSave();
        SetMessageBoxHandler(nullptr);
        QMessageBox::critical(nullptr, QStringLiteral("ペロリン"), QString::fromLocal8Bit(error.what()));
        return 0;
    }
}
