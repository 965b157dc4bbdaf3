// src/update/ScrambledText.cpp
#include "update/ScrambledText.h"

#include <cstring>

namespace {

// Where each bit of a byte goes (index: source bit 7..0, value: destination bit). The scrambling permutation
// keeps bits 7 and 2 and deals the others out: q = p7 p5 p3 p1 p0 p2 p4 p6.
const int kScrambleBitTo[8] = {3, 4, 2, 5, 1, 6, 0, 7};
// Its inverse: p = q7 q0 q6 q1 q5 q2 q4 q3.
const int kUnscrambleBitTo[8] = {6, 4, 2, 0, 1, 3, 5, 7};

const int kPairOrderDivisor = 311;

// Copies a NUL-terminated text into a buffer of nSize bytes; false (and an empty buffer) when it does not fit.
bool CopyBounded(char* pBuffer, size_t nSize, LPCSTR pszText)
{
    std::memset(pBuffer, 0, nSize);
    if (pszText == nullptr)
        return true;
    const size_t nLength = strnlen(pszText, nSize);
    if (nLength >= nSize)
        return false;
    std::memcpy(pBuffer, pszText, nLength);
    return true;
}

} // namespace

CScrambledText::CScrambledText() : m_flags(), m_key(), m_plain(), m_scrambled(), m_refused(0) {}

CScrambledText::CScrambledText(LPCSTR pszKey) : CScrambledText()
{
    SetKey(pszKey);
}

CScrambledText::CScrambledText(int nDirection, LPCSTR pszKey, LPCSTR pszText) : CScrambledText(pszKey)
{
    if (nDirection != 0)
        SetScrambledText(pszText);
    else
        SetPlainText(pszText);
}

CScrambledText::~CScrambledText() = default;

void CScrambledText::SetKey(LPCSTR pszKey)
{
    if (CopyBounded(m_key, sizeof(m_key), pszKey))
        m_refused &= ~kRefusedKey;
    else
        m_refused |= kRefusedKey;
}

void CScrambledText::SetPlainText(LPCSTR pszText)
{
    if (CopyBounded(m_plain, sizeof(m_plain), pszText))
        m_refused &= ~kRefusedPlain;
    else
        m_refused |= kRefusedPlain;
}

void CScrambledText::SetScrambledText(LPCSTR pszText)
{
    if (CopyBounded(m_scrambled, sizeof(m_scrambled), pszText))
        m_refused &= ~kRefusedScrambled;
    else
        m_refused |= kRefusedScrambled;
}

int CScrambledText::KeyLength() const
{
    return static_cast<int>(strnlen(m_key, sizeof(m_key) - 1));
}

// With an empty key the index stays 0 and the key character is the NUL.
BYTE CScrambledText::KeyCharAt(int nKeyIndex) const
{
    if (nKeyIndex < 0 || nKeyIndex >= static_cast<int>(sizeof(m_key)))
        return 0;
    return static_cast<BYTE>(m_key[nKeyIndex]);
}

// The key is used cyclically, one key character per plain character. An empty text or key leaves the scrambled
// text as it was.
int CScrambledText::Encode()
{
    const int nPlain = static_cast<int>(strnlen(m_plain, sizeof(m_plain) - 1));
    const int nKey = KeyLength();
    if (nPlain == 0 || nKey == 0 || (m_refused & (kRefusedKey | kRefusedPlain)) != 0) {
        std::memset(m_plain, 0, sizeof(m_plain));
        return 0;
    }
    int nKeyIndex = 0;
    for (int i = 0; i < nPlain; ++i) {
        BYTE first = 0;
        BYTE second = 0;
        EncodeByte(static_cast<BYTE>(m_plain[i]), nKeyIndex, first, second);
        m_scrambled[2 * i] = static_cast<char>(first);
        m_scrambled[2 * i + 1] = static_cast<char>(second);
        if (++nKeyIndex == nKey)
            nKeyIndex = 0;
    }
    m_scrambled[2 * nPlain] = '\0';
    return nPlain;
}

// A pair whose key half does not match the key character gives that key half as the plain byte's source, so a
// wrong key gives a wrong text, never an error. The result is the key's length: 0 with an empty key although a
// text was produced.
int CScrambledText::Decode()
{
    const int nScrambled = static_cast<int>(strnlen(m_scrambled, sizeof(m_scrambled) - 1));
    const int nKey = KeyLength();
    std::memset(m_plain, 0, sizeof(m_plain));
    if (nScrambled == 0 || nScrambled % 2 != 0 || (m_refused & (kRefusedKey | kRefusedScrambled)) != 0)
        return 0;
    int nKeyIndex = 0;
    for (int j = 0; j < nScrambled / 2; ++j) {
        BYTE plain = 0;
        DecodePair(nKeyIndex, static_cast<BYTE>(m_scrambled[2 * j]), static_cast<BYTE>(m_scrambled[2 * j + 1]), plain);
        m_plain[j] = static_cast<char>(plain);
        if (++nKeyIndex >= nKey)
            nKeyIndex = 0;
    }
    return nKey;
}

// Permutes the byte, spreads it with the key character and stores the pair in the order its product asks for.
void CScrambledText::EncodeByte(BYTE plain, int nKeyIndex, BYTE& rFirst, BYTE& rSecond)
{
    SetFlagsFromByte(0, plain);
    const BYTE permuted = FlagsToByte();
    BYTE a = 0;
    BYTE b = 0;
    SpreadBits(KeyCharAt(nKeyIndex), permuted, a, b);
    if (PairOrderValue(a, b) % 2 != 0) {
        rFirst = a;
        rSecond = b;
    } else {
        rFirst = b;
        rSecond = a;
    }
}

// The stored pair is put back in spreading order (the product does not depend on the order), split into the key
// half and the permuted half, and the permuted half unscrambled. The key character is compared as a signed byte,
// so a key character of 0x80 or above never matches.
void CScrambledText::DecodePair(int nKeyIndex, BYTE first, BYTE second, BYTE& rPlain)
{
    const bool bInOrder = PairOrderValue(first, second) % 2 != 0;
    const BYTE x = bInOrder ? first : second;
    const BYTE y = bInOrder ? second : first;
    const BYTE keyHalf = static_cast<BYTE>((x & 0xC0) | ((y & 0xC0) >> 2) | (x & 0x0C) | ((y & 0x0C) >> 2));
    BYTE permuted = static_cast<BYTE>(((x & 0x30) << 2) | (y & 0x30) | ((x & 0x03) << 2) | (y & 0x03));
    const signed char keyChar = static_cast<signed char>(KeyCharAt(nKeyIndex));
    if (static_cast<int>(keyHalf) != static_cast<int>(keyChar))
        permuted = keyHalf;
    SetFlagsFromByte(1, permuted);
    rPlain = FlagsToByte();
}

// first = k7 k6 q7 q6 k3 k2 q3 q2, second = k5 k4 q5 q4 k1 k0 q1 q0.
void CScrambledText::SpreadBits(BYTE key, BYTE permuted, BYTE& rFirst, BYTE& rSecond)
{
    rFirst = static_cast<BYTE>((key & 0xC0) | ((permuted & 0xC0) >> 2) | (key & 0x0C) | ((permuted & 0x0C) >> 2));
    rSecond = static_cast<BYTE>(((key & 0x30) << 2) | (permuted & 0x30) | ((key & 0x03) << 2) | (permuted & 0x03));
}

void CScrambledText::ClearFlags()
{
    for (int& flag : m_flags)
        flag = 0;
}

// Sets the flag of the position that bit nBit moves to.
void CScrambledText::SetBitFlag(int nDirection, int nBit)
{
    if (nBit < 0 || nBit > 7)
        return;
    const int nTo = nDirection != 0 ? kUnscrambleBitTo[nBit] : kScrambleBitTo[nBit];
    m_flags[7 - nTo] = 1;
}

void CScrambledText::SetFlagsFromByte(int nDirection, BYTE value)
{
    ClearFlags();
    for (int nBit = 0; nBit < 8; ++nBit) {
        if ((value >> nBit) & 1)
            SetBitFlag(nDirection, nBit);
    }
}

BYTE CScrambledText::FlagsToByte() const
{
    BYTE value = 0;
    for (int i = 0; i < 8; ++i)
        value = static_cast<BYTE>((value << 1) | (m_flags[i] != 0 ? 1 : 0));
    return value;
}

int CScrambledText::PairOrderValue(BYTE a, BYTE b)
{
    return (static_cast<int>(a) * static_cast<int>(b)) / kPairOrderDivisor;
}

// Six printable characters without the bit patterns that let a stored byte be 0: none has bits 7, 6, 3 and 2
// all clear or bits 5, 4, 1 and 0 all clear, and none is above 0x7F (such a key character never matches).
// Built here rather than kept as one text in the program file.
CString GetScramblerKey()
{
    char key[7];
    key[0] = 'T';
    key[1] = static_cast<char>('u' + 1);
    key[2] = '5';
    key[3] = static_cast<char>('j' + 1);
    key[4] = 'Q';
    key[5] = 'e';
    key[6] = '\0';
    return CString(key);
}

CString ScrambleText(const CString& strPlain)
{
    const CString strKey = GetScramblerKey();
    CScrambledText text(0, strKey, strPlain);
    if (text.Encode() == 0)
        return CString();
    return CString(text.GetScrambledText());
}

CString UnscrambleText(const CString& strScrambled)
{
    const CString strKey = GetScramblerKey();
    CScrambledText text(1, strKey, strScrambled);
    text.Decode();
    return CString(text.GetPlainText());
}
