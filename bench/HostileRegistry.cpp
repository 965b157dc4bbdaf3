// bench/HostileRegistry.cpp
#include "HostileRegistry.h"

#include <cctype>
#include <cstring>
#include <map>
#include <mutex>

namespace {

using PfnOpenKeyEx = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
using PfnCreateKeyEx = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD);
using PfnCloseKey = LONG(WINAPI*)(HKEY);
using PfnQueryValueEx = LONG(WINAPI*)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);

PfnOpenKeyEx g_pfnOpenKeyEx = &RegOpenKeyExA;
PfnCreateKeyEx g_pfnCreateKeyEx = &RegCreateKeyExA;
PfnCloseKey g_pfnCloseKey = &RegCloseKey;
PfnQueryValueEx g_pfnQueryValueEx = &RegQueryValueExA;

std::mutex g_lock;
RegistryNotes* g_pNotes = nullptr;
std::map<HKEY, std::string> g_paths;

const struct {
    HKEY hRoot;
    const char* pszName;
} kRoots[] = {
    {HKEY_LOCAL_MACHINE, "HKLM"}, {HKEY_CURRENT_USER, "HKCU"}, {HKEY_CLASSES_ROOT, "HKCR"},
    {HKEY_USERS, "HKU"},          {HKEY_DYN_DATA, "HKDD"},
};

// The path of an open key; empty when it was opened outside a recording.
std::string PathOf(HKEY hKey)
{
    for (const auto& root : kRoots) {
        if (root.hRoot == hKey)
            return root.pszName;
    }
    auto it = g_paths.find(hKey);
    return it == g_paths.end() ? std::string() : it->second;
}

std::string Upper(std::string text)
{
    for (char& ch : text)
        ch = char(std::toupper(static_cast<unsigned char>(ch)));
    return text;
}

void NoteKey(HKEY hParent, LPCSTR pszSubKey, LONG nResult, HKEY hOpened)
{
    std::lock_guard<std::mutex> lock(g_lock);
    if (g_pNotes == nullptr)
        return;
    std::string path = PathOf(hParent);
    if (path.empty())
        return;
    if (pszSubKey != nullptr && *pszSubKey != '\0')
        path += std::string("\\") + pszSubKey;
    g_pNotes->keys.insert(Upper(path));
    if (nResult == ERROR_SUCCESS)
        g_paths[hOpened] = path;
}

LONG WINAPI RecordOpenKeyEx(HKEY hKey, LPCSTR pszSubKey, DWORD nOptions, REGSAM sam, PHKEY phResult)
{
    const LONG nResult = g_pfnOpenKeyEx(hKey, pszSubKey, nOptions, sam, phResult);
    NoteKey(hKey, pszSubKey, nResult, nResult == ERROR_SUCCESS ? *phResult : nullptr);
    return nResult;
}

LONG WINAPI RecordCreateKeyEx(HKEY hKey, LPCSTR pszSubKey, DWORD nReserved, LPSTR pszClass, DWORD nOptions, REGSAM sam,
                              LPSECURITY_ATTRIBUTES pSecurity, PHKEY phResult, LPDWORD pnDisposition)
{
    const LONG nResult =
        g_pfnCreateKeyEx(hKey, pszSubKey, nReserved, pszClass, nOptions, sam, pSecurity, phResult, pnDisposition);
    NoteKey(hKey, pszSubKey, nResult, nResult == ERROR_SUCCESS ? *phResult : nullptr);
    return nResult;
}

LONG WINAPI RecordCloseKey(HKEY hKey)
{
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_paths.erase(hKey);
    }
    return g_pfnCloseKey(hKey);
}

LONG WINAPI RecordQueryValueEx(HKEY hKey, LPCSTR pszName, LPDWORD pReserved, LPDWORD pnType, LPBYTE pData,
                               LPDWORD pnSize)
{
    {
        std::lock_guard<std::mutex> lock(g_lock);
        if (g_pNotes != nullptr) {
            const std::string path = PathOf(hKey);
            if (!path.empty())
                g_pNotes->values.insert(std::make_pair(path, pszName != nullptr ? std::string(pszName) : std::string()));
        }
    }
    return g_pfnQueryValueEx(hKey, pszName, pReserved, pnType, pData, pnSize);
}

// Points the import table entry of one function of ADVAPI32 at the wrapper; the entry's old target becomes the
// real call.
template <class Pfn>
bool PatchImport(BYTE* pBase, IMAGE_IMPORT_DESCRIPTOR* pImport, const char* pszName, Pfn pfnWrapper, Pfn& rpfnReal)
{
    auto* pNames = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pImport->OriginalFirstThunk);
    auto* pAddresses = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pImport->FirstThunk);
    for (; pNames->u1.AddressOfData != 0; ++pNames, ++pAddresses) {
        if (IMAGE_SNAP_BY_ORDINAL(pNames->u1.Ordinal))
            continue;
        auto* pByName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(pBase + pNames->u1.AddressOfData);
        if (std::strcmp(reinterpret_cast<const char*>(pByName->Name), pszName) != 0)
            continue;
        DWORD nOldProtection = 0;
        if (!VirtualProtect(&pAddresses->u1.Function, sizeof(pAddresses->u1.Function), PAGE_READWRITE, &nOldProtection))
            return false;
        rpfnReal = reinterpret_cast<Pfn>(pAddresses->u1.Function);
        pAddresses->u1.Function = reinterpret_cast<ULONG_PTR>(pfnWrapper);
        VirtualProtect(&pAddresses->u1.Function, sizeof(pAddresses->u1.Function), nOldProtection, &nOldProtection);
        return true;
    }
    return false;
}

} // namespace

bool InstallRegistryRecorder()
{
    static bool s_bInstalled = false;
    if (s_bInstalled)
        return true;
    BYTE* pBase = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* pDos = reinterpret_cast<IMAGE_DOS_HEADER*>(pBase);
    auto* pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(pBase + pDos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0)
        return false;
    bool bAny = false;
    for (auto* pImport = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pBase + directory.VirtualAddress);
         pImport->Name != 0; ++pImport) {
        if (_stricmp(reinterpret_cast<const char*>(pBase + pImport->Name), "advapi32.dll") != 0)
            continue;
        bAny |= PatchImport(pBase, pImport, "RegOpenKeyExA", &RecordOpenKeyEx, g_pfnOpenKeyEx);
        bAny |= PatchImport(pBase, pImport, "RegCreateKeyExA", &RecordCreateKeyEx, g_pfnCreateKeyEx);
        bAny |= PatchImport(pBase, pImport, "RegCloseKey", &RecordCloseKey, g_pfnCloseKey);
        bAny |= PatchImport(pBase, pImport, "RegQueryValueExA", &RecordQueryValueEx, g_pfnQueryValueEx);
    }
    s_bInstalled = bAny;
    return bAny;
}

void RecordRegistryInto(RegistryNotes* pNotes)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_pNotes = pNotes;
    if (pNotes == nullptr)
        g_paths.clear();
}

bool SplitRegistryPath(const std::string& path, HKEY& hRoot, std::string& subKey)
{
    const size_t nSlash = path.find('\\');
    const std::string root = path.substr(0, nSlash);
    for (const auto& entry : kRoots) {
        if (root == entry.pszName) {
            hRoot = entry.hRoot;
            subKey = nSlash == std::string::npos ? std::string() : path.substr(nSlash + 1);
            return true;
        }
    }
    return false;
}
