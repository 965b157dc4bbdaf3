// tests/support/EmuBytes.h
// Bytes that tests hand to the emulated drive or read back from it: answers written out by their set bytes, and
// bytes as hex text ("AC 10 00 ...") for CDB and data expectations.
#ifndef TAVISK_TESTS_SUPPORT_EMUBYTES_H
#define TAVISK_TESTS_SUPPORT_EMUBYTES_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// nSize zero bytes with the listed {offset, value} pairs set, in order.
inline std::vector<uint8_t> BytesAt(size_t nSize, std::initializer_list<std::pair<size_t, uint8_t>> values)
{
    std::vector<uint8_t> bytes(nSize, 0);
    for (const auto& value : values)
        bytes[value.first] = value.second;
    return bytes;
}

// The bytes as upper-case hex pairs separated by one blank.
inline std::string HexBytes(const uint8_t* p, int n)
{
    std::string text;
    for (int i = 0; i < n; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof(byte), i == 0 ? "%02X" : " %02X", p[i]);
        text += byte;
    }
    return text;
}

#endif
