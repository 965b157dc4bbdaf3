// tests/update/UpdateTestSupport.h
// Where the peers that with-peers.sh started for this test program listen, and small helpers around them.
#ifndef TAVISK_TESTS_UPDATE_UPDATETESTSUPPORT_H
#define TAVISK_TESTS_UPDATE_UPDATETESTSUPPORT_H

#include "drive/DriveManager.h"
#include "framework/String.h"

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
