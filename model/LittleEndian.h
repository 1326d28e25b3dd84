// Reading the little-endian integers of the game's binary files (sprites,
// archives) from bytes, whatever the machine's own byte order.
#pragma once

#include <cstdint>

inline int32_t ReadLittleInt32(const uint8_t *p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

inline int16_t ReadLittleInt16(const uint8_t *p)
{
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | p[1] << 8));
}
