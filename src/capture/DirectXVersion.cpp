// src/capture/DirectXVersion.cpp
#include "capture/DirectXVersion.h"

#include "capture/CaptureComSeam.h"
#include "framework/ComPtr.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <dxdiag.h>
#include <string>
#include <vector>

namespace {

const DirectXFileHooks kRealFileHooks = {&::GetSystemDirectoryA, &GetFileVersion};
const DirectXFileHooks* g_pFileHooks = &kRealFileHooks;

struct DirectXRelease {
    DWORD major;
    DWORD minor;
    char letter;
};

// The file probe: the system directory and the files asked of it.
class CFileProbe {
public:
    CFileProbe()
    {
        char szDir[MAX_PATH] = {};
        auto pfn = g_pFileHooks->pfnGetSystemDirectory != nullptr ? g_pFileHooks->pfnGetSystemDirectory
                                                                  : kRealFileHooks.pfnGetSystemDirectory;
        const UINT length = pfn(szDir, MAX_PATH);
        m_ok = length > 0 && length < MAX_PATH;
        if (m_ok)
            m_dir = szDir;
    }
    bool IsReady() const { return m_ok; }
    // The file's version; false when it has none that can be read.
    bool Version(const char* pszFile, ULONGLONG& version) const
    {
        std::string path = m_dir + pszFile;
        auto pfn = g_pFileHooks->pfnGetFileVersion != nullptr ? g_pFileHooks->pfnGetFileVersion
                                                              : kRealFileHooks.pfnGetFileVersion;
        return SUCCEEDED(pfn(path.c_str(), &version));
    }

private:
    bool m_ok = false;
    std::string m_dir;
};

bool AtLeast(ULONGLONG version, ULONGLONG limit)
{
    return CompareLargeInts(version, limit) >= 0;
}

WORD FirstNumber(ULONGLONG version)
{
    return WORD(version >> 48);
}

// The rows that test two forms of a version: first number 4 or 5, each with its own minimum.
bool AtLeastInFamily(ULONGLONG version, ULONGLONG limit4, ULONGLONG limit5)
{
    return (FirstNumber(version) == 4 && AtLeast(version, limit4)) ||
           (FirstNumber(version) == 5 && AtLeast(version, limit5));
}

} // namespace

const DirectXFileHooks* SetDirectXFileHooks(const DirectXFileHooks* pHooks)
{
    const DirectXFileHooks* pOld = g_pFileHooks;
    g_pFileHooks = pHooks != nullptr ? pHooks : &kRealFileHooks;
    return pOld;
}

int CompareLargeInts(ULONGLONG a, ULONGLONG b)
{
    return a > b ? 1 : (a < b ? -1 : 0);
}

HRESULT GetFileVersion(const char* pszPath, ULONGLONG* pVersion)
{
    if (pszPath == nullptr || pVersion == nullptr)
        return E_INVALIDARG;
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(pszPath, &handle);
    if (size == 0)
        return E_FAIL;
    std::vector<BYTE> buffer;
    try {
        buffer.resize(size);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    if (!::GetFileVersionInfoA(pszPath, 0, size, buffer.data()))
        return E_FAIL;
    VS_FIXEDFILEINFO* pInfo = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(buffer.data(), "\\", reinterpret_cast<void**>(&pInfo), &length) || pInfo == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO))
        return E_FAIL;
    *pVersion = (ULONGLONG(pInfo->dwFileVersionMS) << 32) | pInfo->dwFileVersionLS;
    return S_OK;
}

HRESULT GetDirectXVersionViaDxDiag(DWORD* pMajor, DWORD* pMinor, char* pLetter)
{
    const HRESULT hrInit = ::CoInitialize(nullptr);
    bool gotMajor = false, gotMinor = false, gotLetter = false;
    {
        CComPtr<IDxDiagProvider> provider;
        CComPtr<IDxDiagContainer> root;
        CComPtr<IDxDiagContainer> system;
        HRESULT hr = CaptureCreateInstance(CLSID_DxDiagProvider, CLSCTX_INPROC_SERVER, IID_IDxDiagProvider,
                                           provider.ReceiveVoid());
        if (SUCCEEDED(hr) && provider) {
            DXDIAG_INIT_PARAMS params;
            std::memset(&params, 0, sizeof params);
            params.dwSize = sizeof(DXDIAG_INIT_PARAMS);
            params.dwDxDiagHeaderVersion = DXDIAG_DX9_SDK_VERSION;
            params.bAllowWHQLChecks = FALSE;
            params.pReserved = nullptr;
            hr = provider->Initialize(&params);
            if (SUCCEEDED(hr))
                hr = provider->GetRootContainer(root.Receive());
            if (SUCCEEDED(hr) && root)
                hr = root->GetChildContainer(L"DxDiag_SystemInfo", system.Receive());
            if (SUCCEEDED(hr) && system) {
                VARIANT var;
                ::VariantInit(&var);
                if (SUCCEEDED(system->GetProp(L"dwDirectXVersionMajor", &var)) && var.vt == VT_UI4) {
                    if (pMajor != nullptr)
                        *pMajor = var.ulVal;
                    gotMajor = true;
                }
                ::VariantClear(&var);
                if (SUCCEEDED(system->GetProp(L"dwDirectXVersionMinor", &var)) && var.vt == VT_UI4) {
                    if (pMinor != nullptr)
                        *pMinor = var.ulVal;
                    gotMinor = true;
                }
                ::VariantClear(&var);
                if (SUCCEEDED(system->GetProp(L"szDirectXVersionLetter", &var)) && var.vt == VT_BSTR &&
                    var.bstrVal != nullptr && var.bstrVal[0] != L'\0') {
                    char szLetter[10] = {};
                    ::WideCharToMultiByte(CP_ACP, 0, var.bstrVal, -1, szLetter, sizeof szLetter, nullptr, nullptr);
                    szLetter[sizeof szLetter - 1] = '\0';
                    if (pLetter != nullptr)
                        *pLetter = szLetter[0];
                    gotLetter = true;
                }
                ::VariantClear(&var);
            }
        }
    }
    if (SUCCEEDED(hrInit))
        ::CoUninitialize();
    return gotMajor && gotMinor && gotLetter ? S_OK : E_FAIL;
}

// Later rows overwrite earlier ones; ddraw.dll and d3d8.dll are read once for each group of their rows.
HRESULT GetDirectXVersionViaFileVersions(DWORD* pMajor, DWORD* pMinor, char* pLetter)
{
    DirectXRelease release = {0, 0, ' '};
    CFileProbe probe;
    if (probe.IsReady()) {
        ULONGLONG v = 0;
        if (probe.Version("\\ddraw.dll", v)) {
            if (AtLeast(v, MakeFileVersion(4, 2, 0, 95)))
                release = {1, 0, ' '};
            if (AtLeast(v, MakeFileVersion(4, 3, 0, 1096)))
                release = {2, 0, ' '};
            if (AtLeast(v, MakeFileVersion(4, 4, 0, 68)))
                release = {3, 0, ' '};
        }
        if (probe.Version("\\d3drg8x.dll", v) && AtLeast(v, MakeFileVersion(4, 4, 0, 70)))
            release = {3, 0, 'a'};
        if (probe.Version("\\ddraw.dll", v)) {
            if (AtLeast(v, MakeFileVersion(4, 5, 0, 155)))
                release = {5, 0, ' '};
            if (AtLeast(v, MakeFileVersion(4, 6, 0, 318)))
                release = {6, 0, ' '};
            if (AtLeast(v, MakeFileVersion(4, 6, 0, 436)))
                release = {6, 1, ' '};
        }
        if (probe.Version("\\dplayx.dll", v) && AtLeast(v, MakeFileVersion(4, 6, 3, 518)))
            release = {6, 1, 'a'};
        if (probe.Version("\\ddraw.dll", v) && AtLeast(v, MakeFileVersion(4, 7, 0, 700)))
            release = {7, 0, ' '};
        if (probe.Version("\\dinput.dll", v) && AtLeast(v, MakeFileVersion(4, 7, 0, 716)))
            release = {7, 0, 'a'};
        if (probe.Version("\\ddraw.dll", v) &&
            AtLeastInFamily(v, MakeFileVersion(4, 8, 0, 400), MakeFileVersion(5, 1, 2258, 400)))
            release = {8, 0, ' '};
        if (probe.Version("\\d3d8.dll", v)) {
            if (AtLeastInFamily(v, MakeFileVersion(4, 8, 1, 881), MakeFileVersion(5, 1, 2600, 881)))
                release = {8, 1, ' '};
            if (AtLeastInFamily(v, MakeFileVersion(4, 8, 1, 901), MakeFileVersion(5, 1, 2600, 901)))
                release = {8, 1, 'a'};
        }
        if (probe.Version("\\mpg2splt.ax", v) && AtLeast(v, MakeFileVersion(6, 3, 1, 885)))
            release = {8, 1, 'b'};
        if (probe.Version("\\dpnet.dll", v) &&
            AtLeastInFamily(v, MakeFileVersion(4, 9, 0, 134), MakeFileVersion(5, 2, 3677, 134)))
            release = {8, 2, ' '};
        if (probe.Version("\\d3d9.dll", v))
            release = {9, 0, ' '};
    }
    if (pMajor != nullptr)
        *pMajor = release.major;
    if (pMinor != nullptr)
        *pMinor = release.minor;
    if (pLetter != nullptr)
        *pLetter = release.letter;
    return S_OK;
}

HRESULT GetDirectXVersion(DWORD* pPacked, char* pszText, int nTextSize)
{
    if (pPacked != nullptr)
        *pPacked = 0;
    if (pszText != nullptr && nTextSize >= 1)
        pszText[0] = '\0';
    DWORD major = 0, minor = 0;
    char letter = ' ';
    if (FAILED(GetDirectXVersionViaDxDiag(&major, &minor, &letter))) {
        major = 0;
        minor = 0;
        letter = ' ';
        if (FAILED(GetDirectXVersionViaFileVersions(&major, &minor, &letter)))
            return E_FAIL;
    }
    FormatDirectXVersion(major, minor, letter, pPacked, pszText, nTextSize);
    return S_OK;
}

void FormatDirectXVersion(DWORD major, DWORD minor, char letter, DWORD* pPacked, char* pszText, int nTextSize)
{
    ::CharLowerBuffA(&letter, 1);
    DWORD packed = ((major << 8) + minor) << 8;
    if (letter >= 'a' && letter <= 'z')
        packed += DWORD(letter - 'a' + 1);
    if (pPacked != nullptr)
        *pPacked = packed;
    if (pszText != nullptr && nTextSize >= 1) {
        if (letter == ' ')
            _snprintf(pszText, nTextSize, "%lu.%lu", major, minor);
        else
            _snprintf(pszText, nTextSize, "%lu.%lu%c", major, minor, letter);
        pszText[nTextSize - 1] = '\0';
    }
}
