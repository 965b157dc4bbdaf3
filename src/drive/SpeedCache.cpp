// src/drive/SpeedCache.cpp
// The per-model CD read-speed cache: which read speeds a drive model really accepts, probed once by stepping the
// read speed down one X at a time and stored under the program's registry key by product identification.
#include "drive/DriveManager.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "drive/CommandSet.h"
#include "drive/SpeedCache.h"

const char kProgramRegistryKey[] = "SOFTWARE\\Korvath\\TAVISK";

namespace {

const int kMaximumSpeed = 0xFFFF;
const int kKbpsPerXSent = 177;
const int kEndMark = 9999;

const SpeedCacheRegistryHooks* volatile g_pHooks = nullptr;

LONG OpenForReading(CRegistryKey& key, HKEY hParent, LPCTSTR pszSubKey)
{
    const SpeedCacheRegistryHooks* pHooks = g_pHooks;
    if (pHooks != nullptr && pHooks->pfnOpen != nullptr)
        return pHooks->pfnOpen(key, hParent, pszSubKey);
    return key.Open(hParent, pszSubKey, KEY_READ);
}

LONG CreateForWriting(CRegistryKey& key, HKEY hParent, LPCTSTR pszSubKey)
{
    const SpeedCacheRegistryHooks* pHooks = g_pHooks;
    if (pHooks != nullptr && pHooks->pfnCreate != nullptr)
        return pHooks->pfnCreate(key, hParent, pszSubKey);
    return key.Create(hParent, pszSubKey, KEY_ALL_ACCESS);
}

// The model's key below the program's key: the product identification of a fresh INQUIRY, trailing blanks cut;
// empty when the drive does not answer or reports no identification.
CString ModelKeyPath(CDriveManager& manager, CDeviceRecord& record)
{
    char vendor[9] = "";
    char product[17] = "";
    char revision[5] = "";
    if ((manager.Inquiry(record, vendor, product, revision) & 0xFF) != 1)
        return CString();
    TrimTrailingBlanks(product);
    if (product[0] == '\0')
        return CString();
    CString path(kProgramRegistryKey);
    path += "\\";
    path += product;
    return path;
}

// The speeds of the model's key; -1 when the key, "List" or "Speeds" is missing or the count is 0.
int ReadCache(CDriveManager& manager, CDeviceRecord& record, int* pSpeeds)
{
    CString path = ModelKeyPath(manager, record);
    if (path.IsEmpty())
        return -1;
    CRegistryKey key;
    if (OpenForReading(key, HKEY_LOCAL_MACHINE, path) != ERROR_SUCCESS)
        return -1;
    DWORD type = 0;
    CByteArray list;
    if (key.QueryRaw("List", type, list) != ERROR_SUCCESS || list.GetSize() < 1)
        return -1;
    int count = list[0]; // the low byte of the stored number
    if (count == 0)
        return -1;
    CString speeds;
    if (key.QueryString("Speeds", speeds) != ERROR_SUCCESS)
        return -1;
    int n = ParseSpeedList(speeds, count, pSpeeds, kSpeedCacheSlots);
    return n > 0 ? n : -1;
}

// Steps the read speed down from the maximum; each speed the drive settles on below the last one is kept (at most
// 59). A drive that refuses SET CD SPEED at once gets the single speed 0. The maximum is restored at the end.
int ProbeSpeeds(CDriveManager& manager, CDeviceRecord& record, int* pSlots)
{
    for (int i = 0; i < kSpeedCacheSlots; ++i)
        pSlots[i] = kEndMark;
    int count = 0;
    if (manager.SetCdSpeed(record, kMaximumSpeed, kMaximumSpeed) != kExecCompleted) {
        pSlots[count++] = 0;
    } else {
        int v = manager.GetMaxReadSpeed(record);
        pSlots[count++] = v;
        while (v > 1 && count < kSpeedCacheMax) {
            if (manager.SetCdSpeed(record, (v - 1) * kKbpsPerXSent, kMaximumSpeed) != kExecCompleted)
                break;
            int r = manager.GetMaxReadSpeed(record);
            if (r < v) {
                pSlots[count++] = r;
                v = r;
            } else {
                --v;
            }
            if (r <= 1)
                break;
        }
    }
    manager.SetCdSpeed(record, kMaximumSpeed, kMaximumSpeed);
    return count;
}

CString SpeedText(const int* pSpeeds, int nCount)
{
    CString text;
    for (int i = 0; i < nCount; ++i) {
        char piece[16];
        sprintf(piece, i == 0 ? "%02d" : "+%02d", pSpeeds[i]);
        text += piece;
    }
    return text;
}

} // namespace

const SpeedCacheRegistryHooks* SetSpeedCacheRegistryHooks(const SpeedCacheRegistryHooks* pHooks)
{
    const SpeedCacheRegistryHooks* pPrevious = g_pHooks;
    g_pHooks = pHooks;
    return pPrevious;
}

// Each piece between the '+' separators is one speed, whatever its number of digits: "%02d" writes 100 X and more
// with three. A piece is read as its leading decimal digits, at most 9999 (the end mark of the probe's slots), so
// a damaged value neither overflows nor gives a speed whose KB/s do not fit SET CD SPEED's arithmetic.
int ParseSpeedList(const char* pszSpeeds, int nCount, int* pSpeeds, int nMax)
{
    int n = 0;
    const char* p = pszSpeeds;
    while (n < nCount && n < nMax && *p != '\0') {
        int value = 0;
        for (; *p >= '0' && *p <= '9'; ++p)
            value = value >= kEndMark ? kEndMark : value * 10 + (*p - '0');
        pSpeeds[n++] = value > kEndMark ? kEndMark : value;
        const char* separator = strchr(p, '+');
        if (separator == nullptr)
            break;
        p = separator + 1;
    }
    return n;
}

// The model's list from the registry; a model met for the first time is probed and its list stored first. When
// the list cannot be stored (no product identification, no write access) the probed list is used as it is.
int CDriveManager::LoadSpeedCache(CDeviceRecord& record, int* pSpeeds60)
{
    int n = ReadCache(*this, record, pSpeeds60);
    if (n > 0)
        return n;
    int probed[kSpeedCacheSlots];
    int count = ProbeSpeeds(*this, record, probed);
    SaveSpeedCache(record, SpeedText(probed, count), count);
    n = ReadCache(*this, record, pSpeeds60);
    if (n > 0)
        return n;
    memcpy(pSpeeds60, probed, sizeof(probed));
    return count;
}

void CDriveManager::DetectSupportedSpeeds(CDeviceRecord& record)
{
    int probed[kSpeedCacheSlots];
    int count = ProbeSpeeds(*this, record, probed);
    SaveSpeedCache(record, SpeedText(probed, count), count);
}

// "List" = count, "Speeds" = the text (stored without its NUL), "Detect" = 1. Nothing is written without a
// product identification or when the key cannot be created.
void CDriveManager::SaveSpeedCache(CDeviceRecord& record, const char* pszSpeeds, int nCount)
{
    CString path = ModelKeyPath(*this, record);
    if (path.IsEmpty())
        return;
    CRegistryKey key;
    if (CreateForWriting(key, HKEY_LOCAL_MACHINE, path) != ERROR_SUCCESS)
        return;
    key.SetDword("List", DWORD(nCount));
    key.SetString("Speeds", pszSpeeds, CRegistryKey::withoutNul);
    key.SetDword("Detect", 1);
}
