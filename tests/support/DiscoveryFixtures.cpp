// tests/support/DiscoveryFixtures.cpp
#include "support/DiscoveryFixtures.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <map>

#include <gtest/gtest.h>

#include "emu/Emu.h"
#include "framework/Registry.h"
#include "support/RegistryFixture.h"

const GUID kGuidScsiAdapter = {0x4D36E97B, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const GUID kGuidUsb = {0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID kGuid1394 = {0x6BDD1FC1, 0x810F, 0x11D0, {0xBE, 0xC7, 0x08, 0x00, 0x2B, 0xE2, 0x09, 0x2F}};
const GUID kGuidHdc = {0x4D36E96A, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const GUID kGuidSbp2 = {0xD48179BE, 0xEC20, 0x11D1, {0xB6, 0xB8, 0x00, 0xC0, 0x4F, 0xA3, 0x72, 0xA7}};
const GUID kGuidStoragePortInterface = {0x2ACCFE60, 0xC130, 0x11D2, {0xB0, 0x82, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

// ---------------------------------------------------------------------------------------------------------------
// Registry fixtures

void RegDeleteTreeFixture(HKEY hRoot, const char* pszPath)
{
    CRegistryKey::DeleteTree(hRoot, pszPath);
}

using testsupport::CreateFixtureKey;

void RegCreateKeyFixture(HKEY hRoot, const char* pszPath)
{
    CRegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, CreateFixtureKey(hRoot, pszPath, key)) << pszPath;
}

void RegSetStringFixture(HKEY hRoot, const char* pszPath, const char* pszName, const char* pszValue)
{
    CRegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, CreateFixtureKey(hRoot, pszPath, key)) << pszPath;
    ASSERT_EQ(ERROR_SUCCESS, key.SetString(pszName, pszValue)) << pszPath << " " << pszName;
}

void RegSetBinaryFixture(HKEY hRoot, const char* pszPath, const char* pszName, const void* pData, DWORD nSize)
{
    CRegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, CreateFixtureKey(hRoot, pszPath, key)) << pszPath;
    ASSERT_EQ(ERROR_SUCCESS, key.SetBinary(pszName, pData, nSize)) << pszPath << " " << pszName;
}

void RegSetByteFixture(HKEY hRoot, const char* pszPath, const char* pszName, BYTE value)
{
    RegSetBinaryFixture(hRoot, pszPath, pszName, &value, 1);
}

void SetMountedDevice(int nLetter, const char* pszDeviceName)
{
    std::vector<BYTE> data;
    for (const char* p = pszDeviceName; *p != '\0'; ++p) {
        data.push_back(BYTE(*p));
        data.push_back(0);
    }
    char szName[16];
    std::snprintf(szName, sizeof(szName), "\\DosDevices\\%c:", char('A' + nLetter));
    RegSetBinaryFixture(HKEY_LOCAL_MACHINE, "System\\MountedDevices", szName, data.data(), DWORD(data.size()));
}

void SetDeviceMapDriver(int nPort, const char* pszDriver)
{
    char szPath[64];
    std::snprintf(szPath, sizeof(szPath), "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port %d", nPort);
    RegSetStringFixture(HKEY_LOCAL_MACHINE, szPath, "Driver", pszDriver);
}

void ClearNtFixtures()
{
    for (int nPort = 0; nPort < 16; ++nPort) {
        char szPath[64];
        std::snprintf(szPath, sizeof(szPath), "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port %d", nPort);
        RegDeleteTreeFixture(HKEY_LOCAL_MACHINE, szPath);
    }
    RegDeleteTreeFixture(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Enum\\PCIIDE");
    RegDeleteTreeFixture(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Enum\\IDE");
    RegDeleteTreeFixture(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Enum\\SCSI");
    CRegistryKey mounted;
    if (mounted.Open(HKEY_LOCAL_MACHINE, "System\\MountedDevices", KEY_READ | KEY_WRITE) == ERROR_SUCCESS) {
        for (char chLetter = 'D'; chLetter <= 'Y'; ++chLetter) {
            char szName[16];
            std::snprintf(szName, sizeof(szName), "\\DosDevices\\%c:", chLetter);
            mounted.DeleteValue(szName);
        }
    }
}

IEmuMachine* StartNtEmulatedMachine()
{
    IEmuMachine* pMachine = EmuStartMachine();
    ClearNtFixtures();
    return pMachine;
}

// ---------------------------------------------------------------------------------------------------------------
// Device tree behind the SetupAPI seam

namespace {

CFakeDeviceTree* g_pTree = nullptr;

struct FakeList {
    uint32_t nMagic;
    std::vector<int> devices;
    std::vector<int> interfaces; // indexes into m_Interfaces (lists made with DIGCF_DEVICEINTERFACE)
};
const uint32_t kListMagic = 0x54524545;

FakeList* AsList(HDEVINFO hDevInfo)
{
    FakeList* pList = static_cast<FakeList*>(hDevInfo);
    return pList != nullptr && pList->nMagic == kListMagic ? pList : nullptr;
}

bool SameGuid(const GUID& a, const GUID& b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

// Sets the thread's last error and gives FALSE, as the failing SetupAPI calls do.
BOOL Fail(DWORD nError)
{
    SetLastError(nError);
    return FALSE;
}

HDEVINFO WINAPI FakeGetClassDevsA(const GUID* pClassGuid, PCSTR pszEnumerator, HWND, DWORD dwFlags)
{
    if (g_pTree == nullptr || pClassGuid == nullptr)
        return INVALID_HANDLE_VALUE;
    FakeList* pList = new FakeList;
    pList->nMagic = kListMagic;
    if (dwFlags & DIGCF_DEVICEINTERFACE) {
        for (size_t i = 0; i < g_pTree->m_Interfaces.size(); ++i) {
            const CFakeDeviceTree::InterfaceEntry& entry = g_pTree->m_Interfaces[i];
            if (SameGuid(entry.guid, *pClassGuid) &&
                (pszEnumerator == nullptr || lstrcmpiA(pszEnumerator, entry.strEnumerator.c_str()) == 0))
                pList->interfaces.push_back(int(i));
        }
        g_pTree->m_nOpenLists++;
        return pList;
    }
    for (const CFakeDeviceTree::ClassEntry& entry : g_pTree->m_Classes) {
        if (!SameGuid(entry.guid, *pClassGuid))
            continue;
        if (entry.bListFails) {
            delete pList;
            SetLastError(ERROR_INVALID_DATA);
            return INVALID_HANDLE_VALUE;
        }
        pList->devices = entry.devices;
    }
    g_pTree->m_nOpenLists++;
    return pList;
}

BOOL WINAPI FakeDestroyDeviceInfoList(HDEVINFO hDevInfo)
{
    FakeList* pList = AsList(hDevInfo);
    if (pList == nullptr)
        return FALSE;
    pList->nMagic = 0;
    delete pList;
    g_pTree->m_nOpenLists--;
    return TRUE;
}

const FakeClassDevice* DeviceOf(HDEVINFO hDevInfo, PSP_DEVINFO_DATA pData)
{
    FakeList* pList = AsList(hDevInfo);
    if (pList == nullptr || pData == nullptr || pData->Reserved >= pList->devices.size())
        return nullptr;
    return &g_pTree->m_Devices[size_t(pList->devices[pData->Reserved])];
}

BOOL WINAPI FakeEnumDeviceInfo(HDEVINFO hDevInfo, DWORD nIndex, PSP_DEVINFO_DATA pData)
{
    FakeList* pList = AsList(hDevInfo);
    if (pList == nullptr || pData == nullptr || pData->cbSize != sizeof(SP_DEVINFO_DATA))
        return Fail(ERROR_INVALID_PARAMETER);
    if (nIndex >= pList->devices.size())
        return Fail(ERROR_NO_MORE_ITEMS);
    pData->DevInst = DWORD(g_pTree->m_DeviceNodes[size_t(pList->devices[nIndex])] + 1);
    pData->Reserved = nIndex;
    return TRUE;
}

BOOL CopyOut(const std::string& strText, PSTR pszOut, DWORD nSize, PDWORD pnRequired)
{
    if (pnRequired != nullptr)
        *pnRequired = DWORD(strText.size() + 1);
    if (pszOut == nullptr || nSize < strText.size() + 1)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(pszOut, strText.c_str(), strText.size() + 1);
    return TRUE;
}

BOOL WINAPI FakeGetDeviceInstanceIdA(HDEVINFO hDevInfo, PSP_DEVINFO_DATA pData, PSTR pszId, DWORD nSize,
                                     PDWORD pnRequired)
{
    const FakeClassDevice* pDevice = DeviceOf(hDevInfo, pData);
    if (pDevice == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    return CopyOut(pDevice->strInstanceId, pszId, nSize, pnRequired);
}

BOOL WINAPI FakeGetDeviceRegistryPropertyA(HDEVINFO hDevInfo, PSP_DEVINFO_DATA pData, DWORD nProperty, PDWORD pnType,
                                           PBYTE pBuffer, DWORD nSize, PDWORD pnRequired)
{
    const FakeClassDevice* pDevice = DeviceOf(hDevInfo, pData);
    if (pDevice == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    if (pDevice->bPropertiesUnreadable)
        return Fail(ERROR_INVALID_DATA);
    const std::string* pText = nullptr;
    if (nProperty == SPDRP_SERVICE)
        pText = &pDevice->strService;
    else if (nProperty == SPDRP_DRIVER)
        pText = &pDevice->strDriverKey;
    else if (nProperty == SPDRP_DEVICEDESC)
        pText = &pDevice->strDescription;
    if (pText == nullptr)
        return Fail(ERROR_INVALID_DATA);
    if (pnType != nullptr)
        *pnType = REG_SZ;
    return CopyOut(*pText, reinterpret_cast<PSTR>(pBuffer), nSize, pnRequired);
}

BOOL WINAPI FakeEnumDeviceInterfaces(HDEVINFO hDevInfo, PSP_DEVINFO_DATA, const GUID* pInterfaceClass, DWORD nIndex,
                                     PSP_DEVICE_INTERFACE_DATA pInterface)
{
    FakeList* pList = AsList(hDevInfo);
    if (pList == nullptr || pInterface == nullptr || pInterface->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA))
        return Fail(ERROR_INVALID_PARAMETER);
    if (nIndex >= pList->interfaces.size())
        return Fail(ERROR_NO_MORE_ITEMS);
    pInterface->InterfaceClassGuid = *pInterfaceClass;
    pInterface->Flags = SPINT_ACTIVE;
    pInterface->Reserved = ULONG_PTR(pList->interfaces[nIndex]);
    return TRUE;
}

BOOL WINAPI FakeGetDeviceInterfaceDetailA(HDEVINFO hDevInfo, PSP_DEVICE_INTERFACE_DATA pInterface,
                                          PSP_DEVICE_INTERFACE_DETAIL_DATA_A pDetail, DWORD nSize, PDWORD pnRequired,
                                          PSP_DEVINFO_DATA)
{
    if (AsList(hDevInfo) == nullptr || pInterface == nullptr || pInterface->Reserved >= g_pTree->m_Interfaces.size())
        return Fail(ERROR_INVALID_PARAMETER);
    const std::string& strPath = g_pTree->m_Interfaces[pInterface->Reserved].strPath;
    DWORD nRequired = DWORD(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + strPath.size() + 1);
    if (pnRequired != nullptr)
        *pnRequired = nRequired;
    if (pDetail == nullptr || nSize < nRequired)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (pDetail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))
        return Fail(ERROR_INVALID_USER_BUFFER);
    std::memcpy(pDetail->DevicePath, strPath.c_str(), strPath.size() + 1);
    return TRUE;
}

const CFakeDeviceTree::Node* NodeOf(DEVINST node)
{
    if (g_pTree == nullptr || node == 0 || node > g_pTree->m_Nodes.size())
        return nullptr;
    return &g_pTree->m_Nodes[node - 1];
}

CONFIGRET WINAPI FakeReenumerateDevNode(DEVINST node, ULONG)
{
    const CFakeDeviceTree::Node* pNode = NodeOf(node);
    if (pNode == nullptr)
        return CR_INVALID_DEVNODE;
    for (size_t i = 0; i < g_pTree->m_DeviceNodes.size(); ++i) {
        if (g_pTree->m_DeviceNodes[i] + 1 == int(node) && g_pTree->m_Devices[i].bReenumerateFails)
            return CR_FAILURE;
    }
    g_pTree->m_nReenumerated++;
    return CR_SUCCESS;
}

// The node linked from a node by one of its links (first child, next sibling).
CONFIGRET LinkedNode(PDEVINST pLinked, DEVINST node, int CFakeDeviceTree::Node::*pLink)
{
    const CFakeDeviceTree::Node* pNode = NodeOf(node);
    if (pNode == nullptr)
        return CR_INVALID_DEVNODE;
    if (pNode->*pLink < 0)
        return CR_NO_SUCH_DEVNODE;
    *pLinked = DEVINST(pNode->*pLink + 1);
    return CR_SUCCESS;
}

CONFIGRET WINAPI FakeGetChild(PDEVINST pChild, DEVINST node, ULONG)
{
    return LinkedNode(pChild, node, &CFakeDeviceTree::Node::nFirstChild);
}

CONFIGRET WINAPI FakeGetSibling(PDEVINST pSibling, DEVINST node, ULONG)
{
    return LinkedNode(pSibling, node, &CFakeDeviceTree::Node::nNextSibling);
}

CONFIGRET WINAPI FakeGetDeviceIdA(DEVINST node, PCHAR pszId, ULONG nSize, ULONG)
{
    const CFakeDeviceTree::Node* pNode = NodeOf(node);
    if (pNode == nullptr)
        return CR_INVALID_DEVNODE;
    if (pszId == nullptr || nSize < pNode->strId.size() + 1)
        return CR_BUFFER_SMALL;
    std::memcpy(pszId, pNode->strId.c_str(), pNode->strId.size() + 1);
    return CR_SUCCESS;
}

const SetupApiTable kFakeTable = {
    &FakeGetClassDevsA,
    &FakeEnumDeviceInfo,
    &FakeGetDeviceInstanceIdA,
    &FakeGetDeviceRegistryPropertyA,
    &FakeDestroyDeviceInfoList,
    &FakeReenumerateDevNode,
    &FakeGetChild,
    &FakeGetSibling,
    &FakeGetDeviceIdA,
    &FakeEnumDeviceInterfaces,
    &FakeGetDeviceInterfaceDetailA,
};

} // namespace

CFakeDeviceTree::CFakeDeviceTree() = default;

CFakeDeviceTree::~CFakeDeviceTree()
{
    Remove();
}

CFakeDeviceTree::ClassEntry& CFakeDeviceTree::Class(const GUID& deviceClass)
{
    for (ClassEntry& entry : m_Classes) {
        if (SameGuid(entry.guid, deviceClass))
            return entry;
    }
    ClassEntry entry;
    entry.guid = deviceClass;
    m_Classes.push_back(entry);
    return m_Classes.back();
}

void CFakeDeviceTree::AddDevice(const GUID& deviceClass, const FakeClassDevice& device)
{
    int nDevice = int(m_Devices.size());
    m_Devices.push_back(device);
    Node node;
    node.strId = device.strInstanceId;
    int nNode = int(m_Nodes.size());
    m_Nodes.push_back(node);
    m_DeviceNodes.push_back(nNode);
    int nPrevious = -1;
    for (const std::string& strChild : device.children) {
        Node child;
        child.strId = strChild;
        int nChild = int(m_Nodes.size());
        m_Nodes.push_back(child);
        if (nPrevious < 0)
            m_Nodes[size_t(nNode)].nFirstChild = nChild;
        else
            m_Nodes[size_t(nPrevious)].nNextSibling = nChild;
        nPrevious = nChild;
    }
    Class(deviceClass).devices.push_back(nDevice);
}

void CFakeDeviceTree::AddInterface(const GUID& interfaceClass, const std::string& strEnumerator,
                                   const std::string& strPath)
{
    m_Interfaces.push_back(InterfaceEntry{interfaceClass, strEnumerator, strPath});
}

void CFakeDeviceTree::SetClassListFails(const GUID& deviceClass)
{
    Class(deviceClass).bListFails = true;
}

void CFakeDeviceTree::Install()
{
    g_pTree = this;
    m_pPrevious = SetSetupApiTable(&kFakeTable);
    m_bInstalled = true;
}

void CFakeDeviceTree::Remove()
{
    if (!m_bInstalled)
        return;
    SetSetupApiTable(m_pPrevious);
    g_pTree = nullptr;
    m_bInstalled = false;
}

// ---------------------------------------------------------------------------------------------------------------
// Table checks

std::string Padded(const char* pszText, size_t nWidth)
{
    std::string strText(pszText != nullptr ? pszText : "");
    if (strText.size() < nWidth)
        strText.append(nWidth - strText.size(), ' ');
    return strText;
}

std::string DescribeAdapters(const CHostAdapterArray& adapters)
{
    std::string strText;
    char szLine[512];
    for (INT_PTR a = 0; a < adapters.GetSize(); ++a) {
        const CHostAdapter& adapter = adapters[a];
        std::snprintf(szLine, sizeof(szLine), "adapter %d: bus %d port %d name '%s' groups %d\n", int(a),
                      adapter.m_nBusType, adapter.m_nPortNumber, adapter.m_strName.GetString(),
                      int(adapter.m_Targets.GetSize()));
        strText += szLine;
        for (INT_PTR g = 0; g < adapter.m_Targets.GetSize(); ++g) {
            for (INT_PTR p = 0; p < adapter.m_Targets[g].GetSize(); ++p) {
                const CDeviceRecord& r = adapter.m_Targets[g][p];
                std::snprintf(szLine, sizeof(szLine),
                              "  [%d.%d] ad %d t %d path %d lun %d letter %d bus %d type %d '%s' '%s' '%s' "
                              "mounted '%s' settings %d %d %d %d\n",
                              int(g), int(p), r.m_nAdapter, r.m_nTarget, r.m_nPathId, r.m_nLun, r.m_nDriveLetter,
                              r.m_nBusType, r.m_nDeviceType, r.m_szVendor, r.m_szProduct, r.m_szRevision,
                              r.m_szMountedDevice, r.m_nAutoInsertNotification, r.m_nDisconnect, r.m_nSyncDataTransfer,
                              r.m_nDmaCurrentlyUsed);
                strText += szLine;
            }
        }
    }
    return strText;
}

void ExpectAdapterTable(const CHostAdapterArray& adapters, const std::vector<ExpectedAdapter>& expectedAdapters,
                        const std::vector<ExpectedRecord>& expectedRecords)
{
    SCOPED_TRACE(DescribeAdapters(adapters));
    ASSERT_EQ(INT_PTR(expectedAdapters.size()), adapters.GetSize());
    for (size_t a = 0; a < expectedAdapters.size(); ++a) {
        const CHostAdapter& adapter = adapters[INT_PTR(a)];
        const ExpectedAdapter& expected = expectedAdapters[a];
        SCOPED_TRACE("adapter " + std::to_string(a));
        EXPECT_EQ(expected.nBusType, adapter.m_nBusType);
        EXPECT_EQ(expected.nPortNumber, adapter.m_nPortNumber);
        EXPECT_STREQ(expected.pszName, adapter.m_strName.GetString());
        ASSERT_EQ(expected.nGroups, adapter.m_Targets.GetSize());

        for (INT_PTR g = 0; g < adapter.m_Targets.GetSize(); ++g) {
            std::vector<const ExpectedRecord*> wanted;
            for (const ExpectedRecord& record : expectedRecords) {
                if (record.nAdapter == int(a) && record.nGroup == int(g))
                    wanted.push_back(&record);
            }
            const CArray<CDeviceRecord>& group = adapter.m_Targets[g];
            ASSERT_EQ(INT_PTR(wanted.size()), group.GetSize()) << "group " << g;
            for (INT_PTR p = 0; p < group.GetSize(); ++p) {
                const CDeviceRecord& r = group[p];
                const ExpectedRecord& e = *wanted[size_t(p)];
                SCOPED_TRACE("group " + std::to_string(g) + " place " + std::to_string(p));
                EXPECT_EQ(e.nAdapter, r.m_nAdapter);
                EXPECT_EQ(e.nTarget, r.m_nTarget);
                EXPECT_EQ(e.nPathId, r.m_nPathId);
                EXPECT_EQ(e.nLun, r.m_nLun);
                EXPECT_EQ(e.nLetter, r.m_nDriveLetter);
                EXPECT_EQ(e.nBusType, r.m_nBusType);
                EXPECT_EQ(e.nDeviceType, r.m_nDeviceType);
                EXPECT_EQ(e.nAutoInsert, r.m_nAutoInsertNotification);
                EXPECT_EQ(e.nDisconnect, r.m_nDisconnect);
                EXPECT_EQ(e.nSyncTransfer, r.m_nSyncDataTransfer);
                EXPECT_EQ(e.nDma, r.m_nDmaCurrentlyUsed);
                EXPECT_EQ(Padded(e.pszVendor, 8), std::string(r.m_szVendor));
                EXPECT_EQ(Padded(e.pszProduct, 16), std::string(r.m_szProduct));
                EXPECT_EQ(Padded(e.pszRevision, 4), std::string(r.m_szRevision));
                EXPECT_STREQ(e.pszMounted != nullptr ? e.pszMounted : "", r.m_szMountedDevice);
                for (int i = 0; i < 14; ++i)
                    EXPECT_EQ(0, r.m_Sense[i]) << "sense byte " << i;
            }
        }
    }
}

// Every field of the record, without the padding at its end.
const size_t kRecordBytes = offsetof(CDeviceRecord, m_Sense) + kDeviceSenseBytes;

void ExpectSameAdapterList(const CHostAdapterArray& first, const CHostAdapterArray& second)
{
    SCOPED_TRACE("first:\n" + DescribeAdapters(first) + "second:\n" + DescribeAdapters(second));
    ASSERT_EQ(first.GetSize(), second.GetSize());
    for (INT_PTR a = 0; a < first.GetSize(); ++a) {
        const CHostAdapter& x = first[a];
        const CHostAdapter& y = second[a];
        EXPECT_EQ(x.m_nBusType, y.m_nBusType);
        EXPECT_EQ(x.m_nPortNumber, y.m_nPortNumber);
        EXPECT_STREQ(x.m_strName.GetString(), y.m_strName.GetString());
        ASSERT_EQ(x.m_Targets.GetSize(), y.m_Targets.GetSize());
        for (INT_PTR g = 0; g < x.m_Targets.GetSize(); ++g) {
            ASSERT_EQ(x.m_Targets[g].GetSize(), y.m_Targets[g].GetSize());
            for (INT_PTR p = 0; p < x.m_Targets[g].GetSize(); ++p)
                EXPECT_EQ(0, std::memcmp(&x.m_Targets[g][p], &y.m_Targets[g][p], kRecordBytes))
                    << "record " << a << "." << g << "." << p;
        }
    }
}

void ExpectRefreshGivesTheSameList(CScsiTransport& transport, BYTE (CScsiTransport::*pfnStartUp)())
{
    CHostAdapterArray first;
    transport.CopyHostAdapters(first);
    BYTE nMode = transport.GetAccessMode();
    transport.Close();
    EXPECT_EQ(kAccessModeNone, transport.GetAccessMode());
    EXPECT_EQ(0, transport.m_Adapters.GetSize());
    EXPECT_FALSE(transport.m_hAspiDll.IsCreated());
    ASSERT_EQ(nMode, (transport.*pfnStartUp)());
    ExpectSameAdapterList(first, transport.m_Adapters);
}

int AddEmulatedDrive(IEmuMachine* pMachine, const char* pszVendor, const char* pszProduct, const char* pszRevision,
                     int nPeripheral)
{
    int nDrive = pMachine->AddDrive(pszVendor, pszProduct, pszRevision);
    pMachine->SetInt(nDrive, EMU_KEY_PERIPHERAL, nPeripheral);
    return nDrive;
}

void NtMachineTest::StartMachine(DWORD nMajorVersion, const char* pszSystem)
{
    OSVERSIONINFOA version = ReportedVersion();
    ASSERT_EQ(DWORD(VER_PLATFORM_WIN32_NT), version.dwPlatformId);
    ASSERT_EQ(nMajorVersion, version.dwMajorVersion) << "this machine stands for " << pszSystem;
    m_pMachine = StartNtEmulatedMachine();
}

void NtMachineTest::TearDown()
{
    m_Transport.Close();
    m_Tree.Remove();
    EmuRemoveDeviceIo();
}
