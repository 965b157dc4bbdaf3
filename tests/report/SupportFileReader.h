// tests/report/SupportFileReader.h
// A reader of the support file for the tests, written from the published descriptions of MD5 (RFC 1321) and
// Blowfish and from the file format, sharing no code or tables with the program: the Blowfish tables are computed
// from pi and the MD5 constants from the sine function when first needed.
#ifndef TAVISK_TESTS_REPORT_SUPPORTFILEREADER_H
#define TAVISK_TESTS_REPORT_SUPPORTFILEREADER_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace reader {

using Digest = std::array<uint8_t, 16>;

Digest Md5(const uint8_t* data, size_t length);
Digest Md5(const std::string& text);

// A Blowfish key schedule; blocks are 8 bytes, each 32-bit half most significant byte first.
class BlowfishKey {
public:
    BlowfishKey(const uint8_t* key, size_t length);
    void Encrypt(uint8_t block[8]) const;
    void Decrypt(uint8_t block[8]) const;
    uint32_t InitialSubkey(int i) const;

private:
    uint32_t F(uint32_t x) const;
    void EncryptWords(uint32_t& l, uint32_t& r) const;
    uint32_t m_p[18];
    uint32_t m_s[4][256];
};

// Deciphers a support file with the ten-entry key table and splits it into its lines. Sets *error and returns what
// was read so far when the file does not follow the format (length, record ends, padding).
std::vector<std::string> DecodeSupportFile(const std::vector<uint8_t>& file, const uint8_t table[10][16],
                                           std::string* error);

// The support team's key table, written down here independently of the program.
extern const uint8_t kSupportKeys[10][16];

} // namespace reader

#endif
