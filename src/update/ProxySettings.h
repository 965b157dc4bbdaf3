// src/update/ProxySettings.h
// The proxy block kept by the main dialog, edited on the Preferences sheet and handed to the update check.
#ifndef TAVISK_UPDATE_PROXYSETTINGS_H
#define TAVISK_UPDATE_PROXYSETTINGS_H

#include "framework/String.h"

// The main dialog puts the defaults in (empty texts, port 80, no proxy) before it reads the registry.
struct ProxySettings {
    CString user;
    CString password; // plain here; scrambled only in the registry
    CString server;
    DWORD port = 80;
    BOOL useProxy = FALSE;
};

#endif
