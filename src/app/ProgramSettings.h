// src/app/ProgramSettings.h
// The program settings in the registry: the proxy for the update check and the automatic update check at
// start-up, under the program's key in HKEY_LOCAL_MACHINE. The proxy password is stored scrambled.
#ifndef TAVISK_APP_PROGRAMSETTINGS_H
#define TAVISK_APP_PROGRAMSETTINGS_H

#include "update/ProxySettings.h"

#include <windows.h>

// Reads the stored values over what rProxy and rAutoFW hold, whatever their registry type: a text up to its first
// NUL or the end of the value, a number from the value's first four bytes. A missing value, a number value of
// fewer than four bytes, or a port outside 1 to 65535 leaves its setting as it was. A stored password that cannot
// be unscrambled (damaged, odd length, too long) reads as an empty password. Returns false when the key could not
// be opened.
bool ReadProgramSettings(ProxySettings& rProxy, DWORD& rAutoFW);

// Writes every value, creating the key when needed; the texts are stored without a terminating NUL. Returns
// false when the key could not be created (nothing is written then) or a value could not be written.
bool WriteProgramSettings(const ProxySettings& proxy, DWORD nAutoFW);

#endif
