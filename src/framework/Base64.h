// src/framework/Base64.h
// Base64 in the standard alphabet with '=' padding (RFC 4648), as Basic credentials use it (RFC 7617).
#ifndef TAVISK_FRAMEWORK_BASE64_H
#define TAVISK_FRAMEWORK_BASE64_H

#include "framework/String.h"

CString Base64Encode(LPCSTR pData, int nLength);
inline CString Base64Encode(const CString& text)
{
    return Base64Encode(text, text.GetLength());
}

#endif
