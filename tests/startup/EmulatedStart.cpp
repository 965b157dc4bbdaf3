// tests/startup/EmulatedStart.cpp
// Linked into a test build of Tavisk.exe (tests/startup/emulated/Tavisk.exe): before the program starts, the
// pass-through interface of its drive access is pointed at the emulated drives of "passthrough.emu" beside the
// program (or of the file TAVISK_EMU_PASSTHROUGH names). The description's log file receives the commands the
// drives saw when the program ends. Without a description the program runs on the real devices.
#include <windows.h>

#include "EmuDescription.h"

#include <cstdio>

namespace {

class CEmulatedStart {
public:
    CEmulatedStart()
    {
        std::string error;
        m_bApplied = EmuApplyModuleDescription(EmuGetMachine(), "TAVISK_EMU_PASSTHROUGH", "passthrough.emu", false,
                                               m_description, error);
        if (m_bApplied)
            EmuInstallDeviceIo();
        else if (!error.empty())
            std::fprintf(stderr, "emulator: %s\n", error.c_str());
    }
    ~CEmulatedStart()
    {
        if (m_bApplied && !m_description.strLogPath.empty())
            EmuWriteCommandLog(EmuGetMachine(), m_description.strLogPath);
    }

private:
    EmuDescription m_description;
    bool m_bApplied = false;
};

CEmulatedStart g_emulatedStart;

} // namespace
