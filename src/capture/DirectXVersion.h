// src/capture/DirectXVersion.h
// Which DirectX is installed: asked of the DirectX diagnostics provider first, derived from the file versions of
// DirectX system files when that gives no complete answer.
#ifndef TAVISK_CAPTURE_DIRECTXVERSION_H
#define TAVISK_CAPTURE_DIRECTXVERSION_H

#include <windows.h>

// The seam under the file-version probe: the system directory and the version of one file. The default reads
// the version resources; tests install a table of made-up versions.
struct DirectXFileHooks {
    UINT(WINAPI* pfnGetSystemDirectory)(LPSTR pszBuffer, UINT nSize);
    HRESULT (*pfnGetFileVersion)(const char* pszPath, ULONGLONG* pVersion);
};

// Installs a table (kept by pointer); null restores the real one. Returns the table that was in use.
const DirectXFileHooks* SetDirectXFileHooks(const DirectXFileHooks* pHooks);

// Sets *pPacked to 0 and pszText to "" first (when given), then fills them: packed ((major << 8) + minor) << 8
// plus the letter's place in the alphabet, text "%d.%d" or "%d.%d%c", cut to nTextSize. S_OK, or E_FAIL when
// both probes fail.
HRESULT GetDirectXVersion(DWORD* pPacked, char* pszText, int nTextSize);
// S_OK only when major, minor and letter were all read; values that were read are stored in any case.
HRESULT GetDirectXVersionViaDxDiag(DWORD* pMajor, DWORD* pMinor, char* pLetter);
// Always S_OK; 0, 0 and a blank when no DirectX file qualifies.
HRESULT GetDirectXVersionViaFileVersions(DWORD* pMajor, DWORD* pMinor, char* pLetter);
// Packs and formats a version triple as GetDirectXVersion does; the letter is lower-cased first, a blank means
// none. Either output may be null.
void FormatDirectXVersion(DWORD major, DWORD minor, char letter, DWORD* pPacked, char* pszText, int nTextSize);
// a.b.c.d as (a << 48) | (b << 32) | (c << 16) | d.
HRESULT GetFileVersion(const char* pszPath, ULONGLONG* pVersion);
int CompareLargeInts(ULONGLONG a, ULONGLONG b);

// The version a.b.c.d as GetFileVersion gives it.
constexpr ULONGLONG MakeFileVersion(WORD a, WORD b, WORD c, WORD d)
{
    return (ULONGLONG(a) << 48) | (ULONGLONG(b) << 32) | (ULONGLONG(c) << 16) | ULONGLONG(d);
}

#endif
