// SPDX-License-Identifier: MIT
// The export file reader on arbitrary bytes. Beyond not crashing: whatever it
// reads fully must survive being written and read again unchanged, since that
// is what an export after an import does.
#include "settings/ExportFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TCustomSet set;
    if (ReadSettingText(bytes, set) != SettingTextResult::Read)
        return 0;
    TCustomSet again;
    again.UseNN = !set.UseNN; // version 2 must set it, whatever it held
    if (ReadSettingText(SettingText(set), again) != SettingTextResult::Read || !(again == set))
        std::abort();
    return 0;
}
