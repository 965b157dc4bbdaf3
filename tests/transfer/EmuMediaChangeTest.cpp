// tests/transfer/EmuMediaChangeTest.cpp
// Ejecting and loading a disc in the emulated drive: the drive reports no medium while the tray is open, the disc
// comes back as it was, and the windows of the program get the volume notices a real media change brings.
#include <gtest/gtest.h>

#include "EmuLetterCommand.h" // first: it includes windows.h before the machine interface
#include "EmuMediaChange.h"

#include <dbt.h>

#include <vector>

namespace {

struct Notice {
    WPARAM event;
    DWORD unitMask;
};

std::vector<Notice> g_notices;

LRESULT CALLBACK RecordingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEVICECHANGE) {
        const DEV_BROADCAST_HDR* pHeader = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
        if (pHeader != nullptr && pHeader->dbch_devicetype == DBT_DEVTYP_VOLUME)
            g_notices.push_back({wParam, reinterpret_cast<const DEV_BROADCAST_VOLUME*>(lParam)->dbcv_unitmask});
        return TRUE;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

// The notices come from the emulator's own thread: takes messages until nExpected arrived (bounded).
void Pump(size_t nExpected)
{
    for (int i = 0; i < 200 && g_notices.size() < nExpected; ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    MSG msg;
    Sleep(20);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

class MediaChange : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &RecordingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "EmuMediaChangeTest";
        RegisterClassA(&wc);
        m_hWnd = CreateWindowA("EmuMediaChangeTest", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                               nullptr);
        ASSERT_NE(nullptr, m_hWnd);
        m_pMachine = EmuGetMachine();
        m_pMachine->Reset();
        m_nDrive = m_pMachine->AddDrive("KORVATH", "KVR-D1600", "1.00");
        m_pMachine->SetInt(m_nDrive, "config.profile", 0x10);
        m_pMachine->SetLetter(4, DRIVE_CDROM, m_nDrive); // E:
        g_notices.clear();
    }
    void TearDown() override { DestroyWindow(m_hWnd); }

    EmuScsiResult StartStop(uint8_t nFlags)
    {
        uint8_t cdb[6] = {0x1B, 0, 0, 0, nFlags, 0};
        return EmuLetterCommand(m_nDrive, cdb, 6);
    }

    HWND m_hWnd = nullptr;
    IEmuMachine* m_pMachine = nullptr;
    int m_nDrive = -1;
};

TEST_F(MediaChange, EjectAndLoadByCommandPostVolumeNotices)
{
    ASSERT_EQ(kEmuStatusGood, StartStop(0x02).nStatus); // LoEj, stop: eject
    EXPECT_EQ(0, m_pMachine->GetInt(m_nDrive, EMU_KEY_MEDIUM, 1));
    EXPECT_EQ(0, m_pMachine->GetInt(m_nDrive, "config.profile", -1));
    ASSERT_EQ(kEmuStatusGood, StartStop(0x03).nStatus); // LoEj, start: load
    EXPECT_EQ(1, m_pMachine->GetInt(m_nDrive, EMU_KEY_MEDIUM, 0));
    EXPECT_EQ(0x10, m_pMachine->GetInt(m_nDrive, "config.profile", -1));
    Pump(2);
    ASSERT_EQ(2u, g_notices.size());
    EXPECT_EQ(WPARAM(DBT_DEVICEREMOVECOMPLETE), g_notices[0].event);
    EXPECT_EQ(DWORD(1u << 4), g_notices[0].unitMask);
    EXPECT_EQ(WPARAM(DBT_DEVICEARRIVAL), g_notices[1].event);
}

TEST_F(MediaChange, NoNoticeWithoutAChange)
{
    EmuLoadDisc(m_nDrive);                              // already loaded
    ASSERT_EQ(kEmuStatusGood, StartStop(0x01).nStatus); // start without LoEj
    EmuEjectDisc(m_nDrive);
    EmuEjectDisc(m_nDrive); // the tray is already open
    Pump(1);
    ASSERT_EQ(1u, g_notices.size());
    EXPECT_EQ(WPARAM(DBT_DEVICEREMOVECOMPLETE), g_notices[0].event);
    EXPECT_EQ(kEmuStatusCheckCondition, StartStop(0x01).nStatus) << "no disc to start";
}

} // namespace
