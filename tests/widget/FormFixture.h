// SPDX-License-Identifier: MIT
#pragma once

#include "../unit/RecordingLauncher.h"
#include "app/TFormPLN.h"
#include "app/TFormServices.h"
#include "platform/InstanceLock.h"
#include "platform/MemorySource.h"
#include "platform/RegStore.h"
#include "platform/WindowSystem.h"
#include "settings/RestoreShortcut.h"
#include "settings/TRunFlags.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// Figures chosen by the test.
class FakeMemorySource : public MemorySource {
public:
    MemoryReading next;
    int reads = 0;
    MemoryReading Read() override
    {
        ++reads;
        return next;
    }
};

// Records what the window asks of the window manager.
class RecordingWindowSystem : public WindowSystem {
public:
    std::vector<uint32_t> activated;
    std::vector<std::pair<uint32_t, bool>> skipTaskbar;
    void ActivateWindow(uint32_t window) override { activated.push_back(window); }
    void SetSkipTaskbar(uint32_t window, bool skip) override { skipTaskbar.emplace_back(window, skip); }
    std::optional<std::pair<int, int>> FramePosition(uint32_t) override { return std::nullopt; }
};

// Records the autostart entries written and removed, in order: "write",
// "write minimized", "remove".
class RecordingShortcut : public RestoreShortcut {
public:
    std::vector<std::string> calls;
    void Write(bool minimized) override { calls.push_back(minimized ? "write minimized" : "write"); }
    void Remove() override { calls.push_back("remove"); }
};

// A monitor window on its own store, lock and figures.
class FormFixture : public ::testing::Test {
protected:
    FormFixture()
        : store(dir.filePath("Pelorin.reg").toStdString()), lock(dir.filePath("PelorinMutex").toStdString())
    {
        RunFlags = TRunFlags{};
        memory.next.Mem = {2'000'000, 8'000'000};
        memory.next.Swap = SwapStatus{4'000'000, 1'000'000};
    }
    ~FormFixture() override
    {
        form.reset();
        RunFlags = TRunFlags{};
    }

    TFormPLN& Create(std::vector<std::string> args = {})
    {
        services = std::make_unique<TFormServices>(
            TFormServices{memory, store, windows, lock, shortcut, std::move(args), dir.path().toStdString(), launcher});
        form = std::make_unique<TFormPLN>(*services);
        return *form;
    }

    QTemporaryDir dir;
    FakeMemorySource memory;
    RecordingWindowSystem windows;
    RecordingLauncher launcher;
    RecordingShortcut shortcut;
    RegStore store;
    InstanceLock lock;
    std::unique_ptr<TFormServices> services;
    std::unique_ptr<TFormPLN> form;
};
