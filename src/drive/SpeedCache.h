// src/drive/SpeedCache.h
// The program's registry key and the seam of the per-model CD read-speed cache kept under it.
#ifndef TAVISK_DRIVE_SPEEDCACHE_H
#define TAVISK_DRIVE_SPEEDCACHE_H

#include <windows.h>

#include "framework/Registry.h"

// HKEY_LOCAL_MACHINE key of the program's settings; each drive model's speed list is a subkey named by the
// model's product identification.
extern const char kProgramRegistryKey[]; // "SOFTWARE\Korvath\TAVISK"

const int kSpeedCacheSlots = 60; // speeds a list may hold in memory, the end mark included
const int kSpeedCacheMax = 59;   // speeds a probe keeps

// How the cache reaches the registry: pfnOpen opens the model's key for reading, pfnCreate creates or opens it
// for reading and writing. Tests replace them, e.g. with a Create that fails as on an account without write
// access.
struct SpeedCacheRegistryHooks {
    LONG (*pfnOpen)(CRegistryKey& key, HKEY hParent, LPCTSTR pszSubKey);
    LONG (*pfnCreate)(CRegistryKey& key, HKEY hParent, LPCTSTR pszSubKey);
};

// Installs a hook table (kept by pointer); null restores CRegistryKey::Open and CRegistryKey::Create. A null
// entry falls back to its real call. Returns the table that was in use.
const SpeedCacheRegistryHooks* SetSpeedCacheRegistryHooks(const SpeedCacheRegistryHooks* pHooks);

// Splits a stored "Speeds" text ("48+40+32", "125+100+48") into at most nCount and at most nMax numbers, one per
// piece between the '+' separators; returns how many were stored.
int ParseSpeedList(const char* pszSpeeds, int nCount, int* pSpeeds, int nMax);

#endif
