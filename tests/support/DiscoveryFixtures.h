// tests/support/DiscoveryFixtures.h
// What the discovery tests need besides the emulated drive: registry fixtures written by the test itself, a
// device tree behind the SetupAPI seam, and table checks of the adapter list a start-up leaves.
#ifndef TAVISK_TESTS_DISCOVERY_DISCOVERYFIXTURES_H
#define TAVISK_TESTS_DISCOVERY_DISCOVERYFIXTURES_H

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "drive/ScsiTransport.h"
#include "drive/SetupApiSeam.h"
#include "emu/Emu.h"
#include "support/PinnedWindowsVersion.h"

// Device classes
extern const GUID kGuidScsiAdapter;
extern const GUID kGuidUsb;
extern const GUID kGuid1394;
extern const GUID kGuidHdc;
extern const GUID kGuidSbp2;
extern const GUID kGuidStoragePortInterface;

// Registry fixtures. Paths are below the root; keys are created as needed.
void RegDeleteTreeFixture(HKEY hRoot, const char* pszPath);
void RegSetStringFixture(HKEY hRoot, const char* pszPath, const char* pszName, const char* pszValue);
void RegSetBinaryFixture(HKEY hRoot, const char* pszPath, const char* pszName, const void* pData, DWORD nSize);
void RegSetByteFixture(HKEY hRoot, const char* pszPath, const char* pszName, BYTE value);
void RegCreateKeyFixture(HKEY hRoot, const char* pszPath);
// HKLM "System\MountedDevices" "\DosDevices\X:" = the UTF-16 form of an ASCII device name.
void SetMountedDevice(int nLetter, const char* pszDeviceName);
// HKLM "HARDWARE\DEVICEMAP\Scsi\Scsi Port <n>" "Driver".
void SetDeviceMapDriver(int nPort, const char* pszDriver);
// The fixture keys of the NT family that the tests own: DEVICEMAP Scsi, Enum\PCIIDE, Enum\IDE, Enum\SCSI and the
// MountedDevices values of D: to Y:.
void ClearNtFixtures();
// The program's emulated machine, emptied, behind the device-I/O seam, with the NT fixture keys cleared.
IEmuMachine* StartNtEmulatedMachine();

// A machine's device tree behind the SetupAPI seam: per class, its present devices with their service, driver
// key and description, and each device's children (device ids).
struct FakeClassDevice {
    std::string strInstanceId;
    std::string strService;
    std::string strDriverKey;
    std::string strDescription;
    std::vector<std::string> children;
    bool bPropertiesUnreadable = false; // every registry property fails
    bool bReenumerateFails = false;
};

class CFakeDeviceTree {
public:
    CFakeDeviceTree();
    ~CFakeDeviceTree(); // removes the tree from the seam when it is installed

    void AddDevice(const GUID& deviceClass, const FakeClassDevice& device);
    // A present device interface of the class, listed for its enumerator (e.g. "USBSTOR"), with its device path.
    void AddInterface(const GUID& interfaceClass, const std::string& strEnumerator, const std::string& strPath);
    void SetClassListFails(const GUID& deviceClass);
    void Install();
    void Remove();

    int m_nReenumerated = 0; // CM_Reenumerate_DevNode calls
    int m_nOpenLists = 0;    // device information lists not yet destroyed

    struct Node {
        std::string strId;
        int nFirstChild = -1;
        int nNextSibling = -1;
    };
    struct ClassEntry {
        GUID guid;
        bool bListFails = false;
        std::vector<int> devices; // indexes into m_Devices
    };
    std::vector<FakeClassDevice> m_Devices;
    std::vector<int> m_DeviceNodes; // node of each device
    std::vector<Node> m_Nodes;
    std::vector<ClassEntry> m_Classes;
    struct InterfaceEntry {
        GUID guid;
        std::string strEnumerator;
        std::string strPath;
    };
    std::vector<InterfaceEntry> m_Interfaces;

private:
    ClassEntry& Class(const GUID& deviceClass);
    const SetupApiTable* m_pPrevious = nullptr;
    bool m_bInstalled = false;
};

// Expected adapters and records of a start-up, compared field by field. Strings are given without the blanks the
// INQUIRY answer pads them with.
struct ExpectedAdapter {
    int nBusType;
    int nPortNumber;
    const char* pszName;
    int nGroups;
};

struct ExpectedRecord {
    int nAdapter; // position in the list and the record's m_nAdapter
    int nGroup;
    int nTarget;
    int nPathId;
    int nLun;
    int nLetter;
    int nBusType;
    int nDeviceType;
    const char* pszVendor;
    const char* pszProduct;
    const char* pszRevision;
    const char* pszMounted;
    int nAutoInsert;
    int nDisconnect;
    int nSyncTransfer;
    int nDma;
};

// Checks the list against the tables: the adapters in order, and each adapter's groups holding exactly the
// expected records in order.
void ExpectAdapterTable(const CHostAdapterArray& adapters, const std::vector<ExpectedAdapter>& expectedAdapters,
                        const std::vector<ExpectedRecord>& expectedRecords);
// Every field of every adapter and record equal (sense bytes included).
void ExpectSameAdapterList(const CHostAdapterArray& first, const CHostAdapterArray& second);
std::string DescribeAdapters(const CHostAdapterArray& adapters);

// The Refresh path: the list of a start-up, then Close (empty list, access mode 0, no ASPI library) and the same
// start-up again, which must give the same list field by field.
void ExpectRefreshGivesTheSameList(CScsiTransport& transport, BYTE (CScsiTransport::*pfnStartUp)());

// An emulated drive with its INQUIRY identity and peripheral byte; returns its id.
int AddEmulatedDrive(IEmuMachine* pMachine, const char* pszVendor, const char* pszProduct, const char* pszRevision,
                     int nPeripheral = 5);

// A start-up on a machine of the NT family: the emulated machine, its device tree behind the SetupAPI seam and
// the transport under test. TearDown closes the transport, removes the tree and gives the device-I/O seam back.
class NtMachineTest : public ::testing::Test {
protected:
    // Asserts that Wine reports an NT version of this major number (the machine stands for pszSystem), then
    // starts the emulated machine. Call it from SetUp under ASSERT_NO_FATAL_FAILURE.
    void StartMachine(DWORD nMajorVersion, const char* pszSystem);
    void TearDown() override;

    int Drive(const char* pszVendor, const char* pszProduct, const char* pszRevision, int nPeripheral = 5)
    {
        return AddEmulatedDrive(m_pMachine, pszVendor, pszProduct, pszRevision, nPeripheral);
    }

    // Ports 0 to nCount - 1, without devices.
    void AddPorts(int nCount)
    {
        for (int nPort = 0; nPort < nCount; ++nPort)
            m_pMachine->AddPort(nPort);
    }

    // A letter of the type showing the drive (-1: none); with a port (nPort >= 0) the letter also answers the
    // address query with (port, path, target, LUN 0).
    void Letter(int nLetter, UINT nType, int nDrive, int nPort = -1, int nPath = 0, int nTarget = 0)
    {
        m_pMachine->SetLetter(nLetter, nType, nDrive);
        if (nPort >= 0)
            m_pMachine->SetLetterAddress(nLetter, nPort, nPath, nTarget, 0);
    }

    // The list the start-up left against the tables, no device handle left open, and the Refresh path giving the
    // same list again.
    void ExpectStartUpList(const std::vector<ExpectedAdapter>& adapters, const std::vector<ExpectedRecord>& records)
    {
        ExpectAdapterTable(m_Transport.m_Adapters, adapters, records);
        EXPECT_EQ(0, m_pMachine->GetOpenHandleCount());

        ExpectRefreshGivesTheSameList(m_Transport, &CScsiTransport::InitSpti);
    }

    IEmuMachine* m_pMachine = nullptr;
    CFakeDeviceTree m_Tree;
    CScsiTransport m_Transport;
};

// The INQUIRY answer padding of a text.
std::string Padded(const char* pszText, size_t nWidth);

#endif
