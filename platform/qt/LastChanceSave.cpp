// SPDX-License-Identifier: MIT
#include "platform/qt/LastChanceSave.h"

#include "shared/GuardedCall.h"

#include <cstdlib>
#include <mutex>

namespace {

struct Slot {
    std::mutex mutex;
    std::function<void()> save;
};

// Built on first use, before the atexit registration below, so it is
// destroyed only after the hook has run.
Slot& TheSlot()
{
    static Slot slot;
    return slot;
}

extern "C" void RunLastChanceSave()
{
    std::function<void()> save;
    {
        std::lock_guard lock(TheSlot().mutex);
        save.swap(TheSlot().save);
    }
    if (!save)
        return;
    // Nothing can be reported any more; the exit goes on as it began.
    GuardedCall(save, [](const char*) {});
}

} // namespace

void SetLastChanceSave(std::function<void()> save)
{
    Slot& slot = TheSlot();
    static const bool registered = (std::atexit(&RunLastChanceSave) == 0);
    (void)registered;
    std::lock_guard lock(slot.mutex);
    slot.save = std::move(save);
}

void DisarmLastChanceSave()
{
    Slot& slot = TheSlot();
    std::lock_guard lock(slot.mutex);
    slot.save = nullptr;
}
