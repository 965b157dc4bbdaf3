// tests/emu/EmuAspiClient.cpp
#include <windows.h>

#include "Emu.h"

// The test library exports EmuGetMachine beside the two ASPI entry points. It is loaded by its plain name, so
// the copy beside the program is found first when Wine is told to prefer native "wnaspi32"; the module is never
// freed, so its state outlives the transport's own load and unload.
IEmuMachine* EmuGetAspiMachine()
{
    HMODULE hLibrary = LoadLibraryA("wnaspi32.dll");
    if (hLibrary == nullptr)
        return nullptr;
    typedef IEmuMachine* (*PFN_EmuGetMachine)();
    PFN_EmuGetMachine pfnGet =
        reinterpret_cast<PFN_EmuGetMachine>(reinterpret_cast<void*>(GetProcAddress(hLibrary, "EmuGetMachine")));
    if (pfnGet == nullptr) {
        FreeLibrary(hLibrary);
        return nullptr;
    }
    return pfnGet();
}
