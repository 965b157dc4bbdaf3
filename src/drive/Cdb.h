// src/drive/Cdb.h
// Big-endian field helpers for command descriptor blocks and drive answers. Free of <windows.h>.
#ifndef TAVISK_DRIVE_CDB_H
#define TAVISK_DRIVE_CDB_H

#include <cstdint>

inline void SetBe16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}
inline void SetBe24(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 16);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v);
}
inline void SetBe32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}
inline uint32_t GetBe16(const uint8_t* p)
{
    return (uint32_t(p[0]) << 8) | p[1];
}
inline uint32_t GetBe24(const uint8_t* p)
{
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}
inline uint32_t GetBe32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

#endif
