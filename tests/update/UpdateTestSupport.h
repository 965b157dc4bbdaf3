// tests/update/UpdateTestSupport.h
// Where the peers that with-peers.sh started for this test program listen, and small helpers around them.
#ifndef TAVISK_TESTS_UPDATE_UPDATETESTSUPPORT_H
#define TAVISK_TESTS_UPDATE_UPDATETESTSUPPORT_H

#include "drive/DeviceIo.h"
#include "drive/DriveManager.h"
#include "framework/Handles.h"
#include "framework/String.h"
#include "update/FWUpdateDlg.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

struct IEmuMachine;

namespace updatetest {

// The scripted update service's port; 0 when the program runs without its peers.
int ServicePort();
// "http://127.0.0.1:<port>" + path.
CString ServiceUrl(const char* pszPath);
// The tinyproxy with Basic credentials: port 0 when it is not running.
int ProxyPort();
CString ProxyUser();
CString ProxyPassword();
// A port on 127.0.0.1 where nothing listens.
int ClosedPort();
// Starts Winsock for the test thread once.
void StartSockets();

// The requests the service has received so far, each as its bytes (empty without a log).
std::vector<std::string> ServiceRequests();

// The files the service sends for a name: /firmware/<name> (kFirmwareLength bytes at once) and /steady/<name>
// (kSteadyLength bytes in pieces a little apart, about two seconds in all). Byte i is (i + length of the name) % 251.
const size_t kFirmwareLength = 1200000;
const size_t kSteadyLength = 3 * 1024 * 1024;
std::vector<uint8_t> ServiceFileBytes(const std::string& name, size_t nLength);

// The registry value "UpdatePath" of the sibling product's key: written (stored as the program stores it) or
// removed with its key.
void SetUpdatePath(const CString& strUrl);
void RemoveUpdatePath();
void SetRawUpdatePath(DWORD dwType, const void* pData, DWORD nSize);

// A pass-through drive manager whose drive letters are emulated drives, installed as g_pDriveManager while it
// lives. Each AddDrive puts a drive behind the next letter (D: onward), as the next target of the given adapter.
class UpdateMachine {
public:
    UpdateMachine();
    ~UpdateMachine();
    UpdateMachine(const UpdateMachine&) = delete;
    UpdateMachine& operator=(const UpdateMachine&) = delete;

    CDeviceRecord& AddDrive(int nAdapter, const char* pszVendor, const char* pszProduct, const char* pszRevision,
                            int* pnDrive = nullptr);
    // The record as the manager's adapter list holds it.
    CDeviceRecord& Record(int nAdapter, int nTarget);

    IEmuMachine* m_pMachine;
    CDriveManager m_Manager;

private:
    CDriveManager* m_pSavedManager;
    int m_nNextLetter;
};

// Holds the first drive command that a thread other than the test's sends (the update worker's), until the test
// lets it go or 30 s have passed, and keeps a handle of that thread. The command is caught at the device-I/O seam
// (drives of the pass-through back end) or at a transport's ASPI entry. When it is let go, g_pDriveManager must
// still name the drive manager it named when the command was held; otherwise that manager has been deleted under
// the command, and the worker stays held for good rather than go on inside a deleted object.
class HeldDriveCommand {
public:
    // At the device-I/O seam, put back when this goes.
    HeldDriveCommand();
    // At the transport's ASPI entry, left in place when this goes (the transport may be gone already; a later
    // command passes straight through).
    explicit HeldDriveCommand(CScsiTransport& transport);
    // Lets the command go and waits a while for the worker.
    ~HeldDriveCommand();
    HeldDriveCommand(const HeldDriveCommand&) = delete;
    HeldDriveCommand& operator=(const HeldDriveCommand&) = delete;

    bool WaitUntilHeld(DWORD dwMs) const;
    void Release() const;
    HANDLE Worker() const { return m_hWorker.get(); }
    // The command was let go with its drive manager still there.
    bool ManagerStayed() const { return m_bManagerStayed; }

    // Waits of the update dialog for its worker (UpdateDialogHooks): the held command is let go first and the
    // worker waited for at most 15 s; or the wait gives up at once, as after a minute with a drive that does not
    // answer.
    static DWORD ReleaseThenWait(HANDLE hThread, DWORD dwMilliseconds);
    static DWORD GiveUpAtOnce(HANDLE hThread, DWORD dwMilliseconds);

private:
    void Hold();
    static BOOL WINAPI HeldControl(HANDLE hDevice, DWORD dwCode, LPVOID pIn, DWORD nIn, LPVOID pOut, DWORD nOut,
                                   LPDWORD pnReturned, LPOVERLAPPED pOverlapped);
    static uint32_t __cdecl HeldAspi(void* pSrb);

    static HeldDriveCommand* volatile s_pHeld;
    static PFN_SendASPI32Command s_pfnAspi;
    DWORD m_dwTestThread;
    CHandleOwner m_hHeld;
    CHandleOwner m_hRelease;
    CHandleOwner m_hWorker;
    std::atomic<bool> m_bManagerStayed;
    DeviceIoTable m_emulator;
    DeviceIoTable m_table;
    const DeviceIoTable* m_pPrevious;
};

// The update dialog waits for its worker through the given function while this lives.
class ScopedWorkerWait {
public:
    explicit ScopedWorkerWait(DWORD (*pfnWait)(HANDLE, DWORD))
        : m_hooks{pfnWait}, m_pPrevious(SetUpdateDialogHooks(&m_hooks))
    {
    }
    ~ScopedWorkerWait() { SetUpdateDialogHooks(m_pPrevious); }
    ScopedWorkerWait(const ScopedWorkerWait&) = delete;
    ScopedWorkerWait& operator=(const ScopedWorkerWait&) = delete;

private:
    UpdateDialogHooks m_hooks;
    const UpdateDialogHooks* m_pPrevious;
};

} // namespace updatetest

// Skips the current test when the service is not running (the program was started without with-peers.sh).
#define REQUIRE_SERVICE()                                                                                              \
    do {                                                                                                               \
        if (updatetest::ServicePort() == 0)                                                                            \
            GTEST_SKIP() << "no update service: run through tests/update/with-peers.sh";                               \
    } while (0)
#define REQUIRE_PROXY()                                                                                                \
    do {                                                                                                               \
        if (updatetest::ProxyPort() == 0)                                                                              \
            GTEST_SKIP() << "no tinyproxy: run through tests/update/with-peers.sh";                                    \
    } while (0)

#endif
