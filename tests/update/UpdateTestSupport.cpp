// tests/update/UpdateTestSupport.cpp
#include <winsock2.h>

#include "UpdateTestSupport.h"

#include "Emu.h"
#include "support/DriveRecords.h"

#include <gtest/gtest.h>

#include "framework/Registry.h"
#include "framework/Socket.h"
#include "update/ScrambledText.h"
#include "update/UpdateChecker.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace updatetest {

namespace {

int EnvInt(const char* pszName)
{
    const char* pszValue = std::getenv(pszName);
    return pszValue != nullptr ? std::atoi(pszValue) : 0;
}

CString EnvText(const char* pszName)
{
    const char* pszValue = std::getenv(pszName);
    return pszValue != nullptr ? CString(pszValue) : CString();
}

} // namespace

int ServicePort()
{
    return EnvInt("TAVISK_UPDATE_PORT");
}

CString ServiceUrl(const char* pszPath)
{
    CString url;
    url.Format("http://127.0.0.1:%d%s", ServicePort(), pszPath);
    return url;
}

int ProxyPort()
{
    return EnvInt("TAVISK_PROXY_PORT");
}

CString ProxyUser()
{
    return EnvText("TAVISK_PROXY_USER");
}

CString ProxyPassword()
{
    return EnvText("TAVISK_PROXY_PASSWORD");
}

void StartSockets()
{
    static const BOOL bStarted = AfxSocketInit();
    (void)bStarted;
}

// Binds a listening-free socket to port 0, reads the port and closes it again: nothing listens there afterwards.
int ClosedPort()
{
    StartSockets();
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::inet_addr("127.0.0.1");
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int nSize = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &nSize);
    ::closesocket(s);
    return ntohs(address.sin_port);
}

std::vector<std::string> ServiceRequests()
{
    std::vector<std::string> requests;
    const char* pszLog = std::getenv("TAVISK_UPDATE_LOG");
    if (pszLog == nullptr)
        return requests;
    std::ifstream log(pszLog, std::ios::binary);
    std::string line;
    while (std::getline(log, line)) {
        const size_t nLength = static_cast<size_t>(std::atol(line.c_str()));
        std::string request(nLength, '\0');
        log.read(&request[0], static_cast<std::streamsize>(nLength));
        if (static_cast<size_t>(log.gcount()) != nLength)
            break;
        requests.push_back(request);
        log.get(); // the line end after the bytes
    }
    return requests;
}

std::vector<uint8_t> ServiceFileBytes(const std::string& name, size_t nLength)
{
    std::vector<uint8_t> bytes(nLength);
    for (size_t i = 0; i < nLength; ++i)
        bytes[i] = static_cast<uint8_t>((i + name.size()) % 251);
    return bytes;
}

void SetUpdatePath(const CString& strUrl)
{
    const CString strStored = ScrambleText(strUrl);
    SetRawUpdatePath(REG_SZ, strStored.GetString(), strStored.GetLength());
}

void SetRawUpdatePath(DWORD dwType, const void* pData, DWORD nSize)
{
    CRegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_LOCAL_MACHINE, kUpdatePathKey));
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegSetValueExA(key.get(), kUpdatePathValue, 0, dwType, static_cast<const BYTE*>(pData), nSize));
}

void RemoveUpdatePath()
{
    CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, kUpdatePathKey);
}

UpdateMachine::UpdateMachine() : m_pMachine(EmuStartMachine()), m_pSavedManager(g_pDriveManager), m_nNextLetter(3)
{
    m_Manager.m_nAccessMode = kAccessModeSpti;
    g_pDriveManager = &m_Manager;
}

UpdateMachine::~UpdateMachine()
{
    g_pDriveManager = m_pSavedManager;
    EmuRemoveDeviceIo();
}

CDeviceRecord& UpdateMachine::AddDrive(int nAdapter, const char* pszVendor, const char* pszProduct,
                                       const char* pszRevision, int* pnDrive)
{
    const int nDrive = m_pMachine->AddDrive(pszVendor, pszProduct, pszRevision);
    if (pnDrive != nullptr)
        *pnDrive = nDrive;
    const int nLetter = m_nNextLetter++;
    m_pMachine->SetLetter(nLetter, DRIVE_CDROM, nDrive);
    while (m_Manager.m_Adapters.GetSize() <= nAdapter)
        m_Manager.m_Adapters.Add(CHostAdapter());
    CHostAdapter& adapter = m_Manager.m_Adapters[nAdapter];
    CDeviceRecord record = MakeRecord(nAdapter, static_cast<int>(adapter.m_Targets.GetSize()), nLetter);
    std::strncpy(record.m_szVendor, pszVendor, 8);
    std::strncpy(record.m_szProduct, pszProduct, 16);
    std::strncpy(record.m_szRevision, pszRevision, 4);
    CArray<CDeviceRecord> luns;
    luns.Add(record);
    adapter.m_Targets.Add(luns);
    m_Manager.m_Letters[nLetter].m_bInquireViaLetter = 1;
    return Record(nAdapter, record.m_nTarget);
}

CDeviceRecord& UpdateMachine::Record(int nAdapter, int nTarget)
{
    return m_Manager.m_Adapters[nAdapter].m_Targets[nTarget][0];
}

HeldDriveCommand* volatile HeldDriveCommand::s_pHeld = nullptr;
PFN_SendASPI32Command HeldDriveCommand::s_pfnAspi = nullptr;

HeldDriveCommand::HeldDriveCommand()
    : m_dwTestThread(::GetCurrentThreadId()), m_hHeld(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_hRelease(::CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_bManagerStayed(false),
      m_emulator(GetDeviceIoTable()), m_table(m_emulator), m_pPrevious(nullptr)
{
    m_table.pfnDeviceIoControl = HeldControl;
    m_pPrevious = SetDeviceIoTable(&m_table);
    s_pHeld = this;
}

HeldDriveCommand::HeldDriveCommand(CScsiTransport& transport)
    : m_dwTestThread(::GetCurrentThreadId()), m_hHeld(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_hRelease(::CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_bManagerStayed(false), m_emulator(), m_table(),
      m_pPrevious(nullptr)
{
    if (transport.m_pfnSendASPI32Command != HeldAspi) {
        s_pfnAspi = transport.m_pfnSendASPI32Command;
        transport.m_pfnSendASPI32Command = HeldAspi;
    }
    s_pHeld = this;
}

HeldDriveCommand::~HeldDriveCommand()
{
    Release();
    if (m_hWorker)
        ::WaitForSingleObject(m_hWorker.get(), 10000);
    if (m_pPrevious != nullptr)
        SetDeviceIoTable(m_pPrevious);
    s_pHeld = nullptr;
}

bool HeldDriveCommand::WaitUntilHeld(DWORD dwMs) const
{
    return ::WaitForSingleObject(m_hHeld.get(), dwMs) == WAIT_OBJECT_0;
}

void HeldDriveCommand::Release() const
{
    ::SetEvent(m_hRelease.get());
}

void HeldDriveCommand::Hold()
{
    if (::GetCurrentThreadId() == m_dwTestThread || m_hWorker)
        return;
    CDriveManager* pManager = g_pDriveManager;
    m_hWorker.Attach(::OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, ::GetCurrentThreadId()));
    ::SetEvent(m_hHeld.get());
    ::WaitForSingleObject(m_hRelease.get(), 30000);
    m_bManagerStayed = g_pDriveManager == pManager;
    if (!m_bManagerStayed)
        ::Sleep(INFINITE);
}

BOOL WINAPI HeldDriveCommand::HeldControl(HANDLE hDevice, DWORD dwCode, LPVOID pIn, DWORD nIn, LPVOID pOut, DWORD nOut,
                                          LPDWORD pnReturned, LPOVERLAPPED pOverlapped)
{
    HeldDriveCommand* pHeld = s_pHeld;
    pHeld->Hold();
    return pHeld->m_emulator.pfnDeviceIoControl(hDevice, dwCode, pIn, nIn, pOut, nOut, pnReturned, pOverlapped);
}

uint32_t __cdecl HeldDriveCommand::HeldAspi(void* pSrb)
{
    HeldDriveCommand* pHeld = s_pHeld;
    if (pHeld != nullptr)
        pHeld->Hold();
    return s_pfnAspi(pSrb);
}

DWORD HeldDriveCommand::ReleaseThenWait(HANDLE hThread, DWORD dwMilliseconds)
{
    HeldDriveCommand* pHeld = s_pHeld;
    if (pHeld != nullptr)
        pHeld->Release();
    return ::WaitForSingleObject(hThread, dwMilliseconds < 15000 ? dwMilliseconds : 15000);
}

DWORD HeldDriveCommand::GiveUpAtOnce(HANDLE, DWORD)
{
    return WAIT_TIMEOUT;
}

} // namespace updatetest
