// SPDX-License-Identifier: MIT
#include "app/TFormPLN.h"
#include "app/TFormServices.h"
#include "platform/InstanceLock.h"
#include "platform/LinuxProcessLauncher.h"
#include "platform/ProcMemorySource.h"
#include "platform/RegStore.h"
#include "platform/x11/X11WindowSystem.h"
#include "settings/SDRLink.h"
#include "settings/TRunFlags.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The monitor window as the program builds it, with the real /proc source,
// but with its store and lock in a folder of its own so that a benchmark run
// neither reads nor changes the user's settings nor meets a running copy.
class BenchWindow {
public:
    BenchWindow()
        : store_(dir_.filePath("Pelorin.reg").toStdString()),
          lock_(dir_.filePath("PelorinMutex").toStdString()),
          services_{memory_, store_, windows_, lock_, shortcut_, {}, dir_.path().toStdString(), launcher_}
    {
        RunFlags = TRunFlags{};
        form_ = std::make_unique<TFormPLN>(services_);
    }
    ~BenchWindow()
    {
        form_.reset();
        RunFlags = TRunFlags{};
    }
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;

    TFormPLN& Form() { return *form_; }

private:
    QTemporaryDir dir_;
    ProcMemorySource memory_;
    RegStore store_;
    X11WindowSystem windows_;  // no X connection offscreen: its requests do nothing
    InstanceLock lock_;
    SDRLink shortcut_;               // written only when a session ends
    LinuxProcessLauncher launcher_;  // a reading starts nothing
    TFormServices services_;
    std::unique_ptr<TFormPLN> form_;
};

// One reading as the refresh timer takes it: read /proc/meminfo, draw both
// bars and both difference rows into their bitmaps.
void BM_WindowReading(benchmark::State& state)
{
    BenchWindow window;
    if (window.Form().IsSecondCopy() || window.Form().Minimized()) {
        state.SkipWithError("the window did not start as a fresh, normal window");
        return;
    }
    for (auto _ : state)
        window.Form().UpdateInfo();
}
BENCHMARK(BM_WindowReading);

// The same reading on a shown window, with the repaint it asks for carried
// out, so the figure includes putting the new bitmaps on the window.
void BM_WindowReadingShown(benchmark::State& state)
{
    BenchWindow window;
    window.Form().ShowAtStart();
    QCoreApplication::processEvents();
    if (!window.Form().isVisible()) {
        state.SkipWithError("the window was not shown");
        return;
    }
    for (auto _ : state) {
        window.Form().UpdateInfo();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_WindowReadingShown);

}  // namespace
