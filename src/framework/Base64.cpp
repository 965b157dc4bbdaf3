// src/framework/Base64.cpp
#include "framework/Base64.h"

CString Base64Encode(LPCSTR pData, int nLength)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pData);
    CString out;
    for (int i = 0; i < nLength; i += 3) {
        const int nLeft = nLength - i;
        const DWORD group = (DWORD(p[i]) << 16) | (nLeft > 1 ? DWORD(p[i + 1]) << 8 : 0) | (nLeft > 2 ? p[i + 2] : 0);
        out += kAlphabet[(group >> 18) & 0x3F];
        out += kAlphabet[(group >> 12) & 0x3F];
        out += nLeft > 1 ? kAlphabet[(group >> 6) & 0x3F] : '=';
        out += nLeft > 2 ? kAlphabet[group & 0x3F] : '=';
    }
    return out;
}
