// tests/emu/EmuAspiClient.cpp
#include <windows.h>

#include "Emu.h"
#include "drive/ScsiTransport.h"

// The test library exports EmuGetMachine beside the two ASPI entry points. It is loaded by its plain name, so
// the copy beside the program is found first when Wine is told to prefer native "wnaspi32"; the module is never
// freed, so its state outlives the transport's own load and unload.
IEmuMachine* EmuGetAspiMachine()
{
    HMODULE hLibrary = LoadLibraryA("wnaspi32.dll");
    if (hLibrary == nullptr)
        return nullptr;
    using PFN_EmuGetMachine = IEmuMachine* (*)();
    PFN_EmuGetMachine pfnGet =
        reinterpret_cast<PFN_EmuGetMachine>(reinterpret_cast<void*>(GetProcAddress(hLibrary, "EmuGetMachine")));
    if (pfnGet == nullptr) {
        FreeLibrary(hLibrary);
        return nullptr;
    }
    return pfnGet();
}

bool EmuBindAspi(CScsiTransport& transport)
{
    transport.m_hAspiDll.Attach(LoadLibraryA("WNASPI32"));
    if (!transport.m_hAspiDll.IsCreated())
        return false;
    transport.m_pfnGetASPI32SupportInfo = reinterpret_cast<PFN_GetASPI32SupportInfo>(
        reinterpret_cast<void*>(GetProcAddress(transport.m_hAspiDll.get(), "GetASPI32SupportInfo")));
    transport.m_pfnSendASPI32Command = reinterpret_cast<PFN_SendASPI32Command>(
        reinterpret_cast<void*>(GetProcAddress(transport.m_hAspiDll.get(), "SendASPI32Command")));
    if (transport.m_pfnGetASPI32SupportInfo == nullptr || transport.m_pfnSendASPI32Command == nullptr)
        return false;
    transport.m_nAccessMode = kAccessModeAspi;
    return true;
}
