// tests/emu/EmuMediaChange.cpp
// Opening and closing the tray: START STOP UNIT with LoEj ejects or loads the disc, and the drive's letter gets
// the volume notice Windows sends when a disc leaves or arrives (WM_DEVICECHANGE with DBT_DEVICEREMOVECOMPLETE or
// DBT_DEVICEARRIVAL and a DEV_BROADCAST_VOLUME naming the letter). The notice goes to every top-level window of
// the process, as the system's broadcast reaches them; the volume record stays valid for the life of the process.
#include <windows.h>

#include <dbt.h>

#include <deque>

#include "EmuMachine.h"
#include "EmuMediaChange.h"

namespace {

// One volume record per letter and event, so that a notice's pointer stays valid.
DEV_BROADCAST_VOLUME g_volumeNotices[26][2];

// Notices are sent, not posted (the system refuses to post a message that carries a pointer), and from a thread
// of their own: the command that caused one runs under the machine's lock, perhaps on a test's worker thread, and
// the window that receives the notice asks the drive about its medium from its own thread.
struct PendingNotice {
    WPARAM event;
    LPARAM record;
};

CRITICAL_SECTION g_noticeLock;
HANDLE g_hNoticeEvent = nullptr;
std::deque<PendingNotice> g_pendingNotices;

BOOL CALLBACK SendToProcessWindow(HWND hWnd, LPARAM lParam)
{
    const PendingNotice* pNotice = reinterpret_cast<const PendingNotice*>(lParam);
    DWORD nProcessId = 0;
    GetWindowThreadProcessId(hWnd, &nProcessId);
    DWORD_PTR nResult = 0;
    if (nProcessId == GetCurrentProcessId())
        SendMessageTimeoutA(hWnd, WM_DEVICECHANGE, pNotice->event, pNotice->record, SMTO_NORMAL, 10000, &nResult);
    return TRUE;
}

DWORD WINAPI NoticeThread(LPVOID)
{
    for (;;) {
        WaitForSingleObject(g_hNoticeEvent, INFINITE);
        for (;;) {
            PendingNotice notice;
            {
                EnterCriticalSection(&g_noticeLock);
                bool bEmpty = g_pendingNotices.empty();
                if (!bEmpty) {
                    notice = g_pendingNotices.front();
                    g_pendingNotices.pop_front();
                }
                LeaveCriticalSection(&g_noticeLock);
                if (bEmpty)
                    break;
            }
            EnumWindows(&SendToProcessWindow, reinterpret_cast<LPARAM>(&notice));
        }
    }
}

void QueueNotice(WPARAM event, LPARAM record)
{
    static bool s_bStarted = [] {
        InitializeCriticalSection(&g_noticeLock);
        g_hNoticeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        HANDLE hThread = CreateThread(nullptr, 0, &NoticeThread, nullptr, 0, nullptr);
        if (hThread != nullptr)
            CloseHandle(hThread);
        return true;
    }();
    (void)s_bStarted;
    EnterCriticalSection(&g_noticeLock);
    g_pendingNotices.push_back(PendingNotice{event, record});
    LeaveCriticalSection(&g_noticeLock);
    SetEvent(g_hNoticeEvent);
}

void PostVolumeNotice(int nLetter, bool bArrival)
{
    if (nLetter < 0 || nLetter >= 26)
        return;
    DEV_BROADCAST_VOLUME& record = g_volumeNotices[nLetter][bArrival ? 1 : 0];
    record.dbcv_size = sizeof(record);
    record.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    record.dbcv_reserved = 0;
    record.dbcv_unitmask = 1u << nLetter;
    record.dbcv_flags = DBTF_MEDIA;
    QueueNotice(WPARAM(bArrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE), reinterpret_cast<LPARAM>(&record));
}

// The letters that name the drive (the machine's lock is held by the caller or taken here; it is re-entrant).
void NoticeForDrive(int nDrive, bool bArrival)
{
    CEmuMachine& machine = CEmuMachine::Instance();
    CEmuLock lock(machine.m_Lock);
    for (int nLetter = 0; nLetter < 26; ++nLetter)
        if (machine.m_Letters[nLetter].nDrive == nDrive)
            PostVolumeNotice(nLetter, bArrival);
}

// The disc leaves: what it was stays on the drive under "tray." keys until it is loaded again.
void Eject(CEmuDrive& drive)
{
    if (drive.GetInt(EMU_KEY_MEDIUM, 1) == 0)
        return;
    drive.SetInt("tray.profile", drive.GetInt("config.profile", 0));
    drive.SetInt("tray.disc", 1);
    drive.SetInt(EMU_KEY_MEDIUM, 0);
    drive.SetInt("config.profile", 0);
    drive.SetInt("timing.spinning", 0);
    NoticeForDrive(drive.m_nId, false);
}

void Load(CEmuDrive& drive)
{
    if (drive.GetInt(EMU_KEY_MEDIUM, 1) != 0 || drive.GetInt("tray.disc", 0) == 0)
        return;
    drive.SetInt(EMU_KEY_MEDIUM, 1);
    drive.SetInt("config.profile", drive.GetInt("tray.profile", 0));
    drive.SetInt("tray.disc", 0);
    drive.SetInt("timing.head", 0);
    drive.SetInt("timing.cacheStart", 0);
    NoticeForDrive(drive.m_nId, true);
}

// 1B immed(1) 00 00 loej|start(4) 00. Without LoEj the disc only starts or stops spinning.
void HandleStartStopUnit(EmuCommand& command)
{
    const uint8_t nFlags = command.cdb[4];
    const bool bLoadEject = (nFlags & 0x02) != 0;
    const bool bStart = (nFlags & 0x01) != 0;
    CEmuDrive& drive = *command.pDrive;
    if (!bLoadEject) {
        if (bStart && drive.GetInt(EMU_KEY_MEDIUM, 1) == 0) {
            command.CheckCondition(2, 0x3A, 0x00);
            return;
        }
        drive.SetInt("timing.spinning", bStart ? drive.GetInt("timing.spinning", 0) : 0);
        return;
    }
    if (bStart)
        Load(drive);
    else
        Eject(drive);
}

EMU_HANDLER(0x1B, HandleStartStopUnit);

} // namespace

void EmuEjectDisc(int nDrive)
{
    CEmuMachine& machine = CEmuMachine::Instance();
    CEmuLock lock(machine.m_Lock);
    if (CEmuDrive* pDrive = machine.Drive(nDrive))
        Eject(*pDrive);
}

void EmuLoadDisc(int nDrive)
{
    CEmuMachine& machine = CEmuMachine::Instance();
    CEmuLock lock(machine.m_Lock);
    if (CEmuDrive* pDrive = machine.Drive(nDrive))
        Load(*pDrive);
}
