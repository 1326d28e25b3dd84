// How a host reads the int32 result of a plug-in export: 1 is success or yes,
// 0 failure or no, and only the low byte counts, so that a plug-in which
// leaves garbage in the upper bytes is still understood.
#pragma once

#include <cstdint>

inline constexpr uint8_t PluginLowByte(int32_t result)
{
    return static_cast<uint8_t>(result & 0xFF);
}

inline constexpr bool PluginYes(int32_t result)
{
    return PluginLowByte(result) != 0;
}
