// bench/HostileRegistry.h
// Which registry values a reader asks for, learnt by watching it: while a recording is on, every key the program
// opens (also one that does not exist) and every value it queries are noted with their full path. The program's
// registry calls go through this module's import table; the recorder points those entries at wrappers that note
// the call and pass it on unchanged.
#ifndef TAVISK_BENCH_HOSTILEREGISTRY_H
#define TAVISK_BENCH_HOSTILEREGISTRY_H

#include <windows.h>

#include <set>
#include <string>
#include <utility>

// A key path as "HKLM\SOFTWARE\...", the root named by its short form (HKLM, HKCU, HKCR, HKU, HKDD).
struct RegistryNotes {
    std::set<std::string> keys;                           // keys asked for, upper case
    std::set<std::pair<std::string, std::string>> values; // (key path as asked, value name; "" = default value)
};

// Installs the wrappers once; false when the import table holds none of the registry calls.
bool InstallRegistryRecorder();
// Starts noting into notes (null stops). The wrappers are cheap while no recording is on.
void RecordRegistryInto(RegistryNotes* pNotes);

// Opens or creates a key by its noted path; the root handle and the rest of the path.
bool SplitRegistryPath(const std::string& path, HKEY& hRoot, std::string& subKey);

#endif
