// SPDX-License-Identifier: MIT
#pragma once

#include <exception>

// Runs call and lets no exception leave: for paths that must go on whatever
// happens (a callback from C code, a signal's end of the session, the save
// at exit). report gets the exception's text, or nullptr when it has none,
// and must not throw itself.
template <typename Call, typename Report>
void GuardedCall(Call&& call, Report&& report) noexcept
{
    try {
        call();
    } catch (const std::exception& error) {
        report(error.what());
    } catch (...) {
        report(nullptr);
    }
}
