// src/app/ProgramSettings.cpp
#include "app/ProgramSettings.h"

#include "drive/SpeedCache.h"
#include "framework/Registry.h"
#include "update/ScrambledText.h"

namespace {

const DWORD kMaxPort = 65535;

}

bool ReadProgramSettings(ProxySettings& rProxy, DWORD& rAutoFW)
{
    CRegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kProgramRegistryKey, KEY_READ) != ERROR_SUCCESS)
        return false;
    CString strText;
    if (key.QueryText("ppass", strText) == ERROR_SUCCESS)
        rProxy.password = UnscrambleText(strText);
    if (key.QueryText("pserver", strText) == ERROR_SUCCESS)
        rProxy.server = strText;
    if (key.QueryText("puser", strText) == ERROR_SUCCESS)
        rProxy.user = strText;
    DWORD value = 0;
    if (key.QueryNumber("pport", value) == ERROR_SUCCESS && value >= 1 && value <= kMaxPort)
        rProxy.port = value;
    if (key.QueryNumber("Proxy", value) == ERROR_SUCCESS)
        rProxy.useProxy = static_cast<BOOL>(value);
    if (key.QueryNumber("AutoFW", value) == ERROR_SUCCESS)
        rAutoFW = value;
    return true;
}

bool WriteProgramSettings(const ProxySettings& proxy, DWORD nAutoFW)
{
    CRegistryKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, kProgramRegistryKey) != ERROR_SUCCESS)
        return false;
    bool bAllWritten = true;
    auto note = [&bAllWritten](LONG result) {
        if (result != ERROR_SUCCESS)
            bAllWritten = false;
    };
    note(key.SetDword("Proxy", static_cast<DWORD>(proxy.useProxy)));
    note(key.SetString("ppass", ScrambleText(proxy.password), CRegistryKey::withoutNul));
    note(key.SetString("pserver", proxy.server, CRegistryKey::withoutNul));
    note(key.SetString("puser", proxy.user, CRegistryKey::withoutNul));
    note(key.SetDword("pport", proxy.port));
    note(key.SetDword("AutoFW", nAutoFW));
    return bAllWritten;
}
