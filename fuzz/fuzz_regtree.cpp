// SPDX-License-Identifier: MIT
// The settings store's REGEDIT4 reader on arbitrary bytes. A damaged file must
// read without crashing, and what it reads must be stable: writing it out and
// reading that again gives the same text, so a value does not drift a little
// at every save.
#include "platform/RegTree.h"
#include "settings/Literals.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <utility>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const RegTree first = RegTree::Parse(bytes);
    const std::string written = first.Serialize();
    const RegTree second = RegTree::Parse(written);
    if (second.Serialize() != written)
        std::abort();

    // The reads the settings loader does, on whatever came through.
    const std::pair<std::string_view, std::string_view> integers[] = {
        {lit::PrefKey, "BaseWinStyle"}, {lit::PrefKey, "Unit"}, {lit::ExitStateKey, "MWLeft"}};
    for (const auto& [key, name] : integers) {
        if (first.ReadInteger(key, name) != second.ReadInteger(key, name))
            std::abort();
    }
    if (first.ReadString(lit::ExitStateKey, "EHFolder") != second.ReadString(lit::ExitStateKey, "EHFolder"))
        std::abort();
    return 0;
}
