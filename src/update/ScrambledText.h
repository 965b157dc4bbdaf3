// src/update/ScrambledText.h
// CScrambledText: turns a short text into a scrambled text twice as long and back, under a key of a few
// characters. The program keeps the proxy password and the update service's address scrambled in the registry;
// the stored form must stay readable by earlier installations, so the byte layout is fixed.
//
// Use: build the record with the direction constructor, call Encode or Decode once, read the result with
// GetScrambledText or GetPlainText. Every buffer is bounded: a text longer than its buffer holds is refused, and
// the Encode or Decode that follows returns 0 with an empty plain text.
#ifndef TAVISK_UPDATE_SCRAMBLEDTEXT_H
#define TAVISK_UPDATE_SCRAMBLEDTEXT_H

#include "framework/String.h"

#include <windows.h>

class CScrambledText {
public:
    enum {
        kKeySize = 10,       // at most 9 key characters
        kPlainSize = 100,    // at most 99 plain characters
        kScrambledSize = 200 // two bytes per plain character: at most 198
    };

    CScrambledText();
    explicit CScrambledText(LPCSTR pszKey);
    // nDirection nonzero: pszText is a scrambled text to Decode; zero: a plain text to Encode.
    CScrambledText(int nDirection, LPCSTR pszKey, LPCSTR pszText);
    virtual ~CScrambledText();

    void SetKey(LPCSTR pszKey);
    void SetPlainText(LPCSTR pszText);
    void SetScrambledText(LPCSTR pszText);
    LPCSTR GetKey() const { return m_key; }
    LPCSTR GetPlainText() const { return m_plain; }
    LPCSTR GetScrambledText() const { return m_scrambled; }

    // Plain to scrambled: the number of plain characters, or 0 (empty text or key, or a refused text).
    int Encode();
    // Scrambled to plain: the key's length, or 0 (empty or odd-length text, or a refused text).
    int Decode();

    // One character each way on the key character at nKeyIndex.
    void EncodeByte(BYTE plain, int nKeyIndex, BYTE& rFirst, BYTE& rSecond);
    void DecodePair(int nKeyIndex, BYTE first, BYTE second, BYTE& rPlain);
    // Interleaves a key byte and a permuted byte into the two stored bytes, two bits at a time.
    static void SpreadBits(BYTE key, BYTE permuted, BYTE& rFirst, BYTE& rSecond);

    // The permutation in single steps. nDirection zero: the scrambling permutation; nonzero: its inverse.
    void SetBitFlag(int nDirection, int nBit);
    void SetFlagsFromByte(int nDirection, BYTE value);
    BYTE FlagsToByte() const;
    // (a * b) div 311: odd keeps a stored pair in spreading order, even swaps it.
    static int PairOrderValue(BYTE a, BYTE b);

private:
    enum {
        kRefusedKey = 1,
        kRefusedPlain = 2,
        kRefusedScrambled = 4
    };

    void ClearFlags();
    BYTE KeyCharAt(int nKeyIndex) const;
    int KeyLength() const;

    int m_flags[8]; // bits on their way through the permutation; [0] is bit 7
    char m_key[kKeySize];
    char m_plain[kPlainSize];
    char m_scrambled[kScrambledSize];
    int m_refused; // kRefused* of the buffers whose last text did not fit
};

// The program's own key, the same for the settings and the update check. It is chosen so that no stored byte
// can be 0 (a stored text would end there).
CString GetScramblerKey();

// The program's stored forms. UnscrambleText gives an empty text for a damaged, odd-length or over-long value.
CString ScrambleText(const CString& strPlain);
CString UnscrambleText(const CString& strScrambled);

#endif
