// src/framework/VersionResource.cpp
#include "framework/VersionResource.h"

#include <cstdio>
#include <cstring>

CVersionResource::CVersionResource(LPCSTR pszFile)
{
    DWORD nHandle = 0;
    DWORD nSize = GetFileVersionInfoSizeA(pszFile, &nHandle);
    if (nSize == 0)
        return;
    m_data.assign(nSize, 0);
    if (!GetFileVersionInfoA(pszFile, 0, nSize, m_data.data())) {
        m_data.clear();
        return;
    }
    WORD* pTranslation = nullptr;
    UINT nLength = 0;
    if (VerQueryValueA(m_data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pTranslation),
                       &nLength) &&
        pTranslation != nullptr && nLength >= 4) {
        m_nKey = (static_cast<DWORD>(pTranslation[0]) << 16) | pTranslation[1];
        m_bHasTranslation = true;
    }
}

bool CVersionResource::Query(LPCSTR pszItem, char* pszOut) const
{
    if (!Exists() || !m_bHasTranslation)
        return false;
    char szPath[64];
    snprintf(szPath, sizeof szPath, "\\StringFileInfo\\%08lx\\%s", static_cast<unsigned long>(m_nKey), pszItem);
    char* pszValue = nullptr;
    UINT nLength = 0;
    // VerQueryValueA takes a non-const block; it does not write to it.
    void* pBlock = const_cast<char*>(m_data.data());
    if (!VerQueryValueA(pBlock, szPath, reinterpret_cast<void**>(&pszValue), &nLength) || pszValue == nullptr)
        return false;
    snprintf(pszOut, kVersionTextSize, "%.*s", static_cast<int>(strnlen(pszValue, nLength)), pszValue);
    return true;
}
