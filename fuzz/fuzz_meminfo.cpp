// SPDX-License-Identifier: MIT
// The /proc/meminfo parser on arbitrary bytes: no crash, no overflow (the
// sanitizers stop on either), and neither half of a reading claims more free
// or in use than there is: the bars are drawn from these figures.
#include "platform/MeminfoParser.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const MeminfoFields fields = ParseMeminfo(bytes);
    const std::optional<MemoryStatus> memory = MemoryFromMeminfo(fields);
    if (memory && memory->AvailPhys > memory->TotalPhys)
        std::abort();
    const std::optional<SwapStatus> swap = SwapFromMeminfo(fields);
    if (swap && swap->InUse > swap->Total)
        std::abort();
    return 0;
}
