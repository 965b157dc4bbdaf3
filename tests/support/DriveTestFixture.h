// tests/support/DriveTestFixture.h
// The emulated machine on the virtual clock, and a drive manager under the pass-through back end whose letter
// devices are emulated drives: drives of a profile or of any identity, the commands they were sent, their answers
// edited in place.
#ifndef TAVISK_TESTS_SUPPORT_DRIVETESTFIXTURE_H
#define TAVISK_TESTS_SUPPORT_DRIVETESTFIXTURE_H

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "drive/DriveManager.h"
#include "emu/Emu.h"
#include "emu/EmuFeatureProfiles.h"
#include "emu/EmuProfiles.h"
#include "support/DriveRecords.h"
#include "support/EmuBytes.h"
#include "support/EmuLog.h"

// The program's emulated machine, emptied, behind the device-I/O seam and on the virtual clock; TearDown gives
// both seams back.
class EmulatedMachineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pMachine = EmuStartMachine();
        EmuInstallClock(m_pMachine);
    }

    void TearDown() override
    {
        EmuRemoveClock();
        EmuRemoveDeviceIo();
    }

    IEmuMachine* m_pMachine = nullptr;
};

// The machine of the test ASPI library, emptied, reporting ASPI 1.2, with the transport bound to the library.
// Call it from SetUp under ASSERT_NO_FATAL_FAILURE.
inline void StartAspiMachine(IEmuMachine*& pMachine, CScsiTransport& transport)
{
    pMachine = EmuGetAspiMachine();
    ASSERT_NE(nullptr, pMachine) << "the test wnaspi32.dll was not loaded";
    pMachine->Reset();
    pMachine->SetAspiSupport(1, 2);
    ASSERT_TRUE(EmuBindAspi(transport)) << "the test ASPI library has no ASPI entry points";
}

// Sends a command of the operation code (CDB byte 5 = 1, the rest of the 16 bytes 0xEE) with a 2048-byte buffer or
// none, and gives the one request the machine logged for it, which came through the front end.
inline void SendAndLogOne(IEmuMachine* pMachine, CScsiTransport& transport, CDeviceRecord& record, uint8_t nOpcode,
                          void* pBuffer, int nFrontEnd, EmuLogEntry& entry)
{
    pMachine->ClearLog();
    SendPadded(transport, record, {nOpcode, 0, 0, 0, 0, 1}, pBuffer, pBuffer != nullptr ? 2048 : 0);
    ASSERT_EQ(1, pMachine->GetLogCount());
    entry = LastLog(pMachine);
    EXPECT_EQ(nFrontEnd, entry.nFrontEnd);
}

class DriveTest : public EmulatedMachineTest {
protected:
    void SetUp() override
    {
        EmulatedMachineTest::SetUp();
        m_Manager.m_nAccessMode = kAccessModeSpti;
        m_nNextLetter = 3;
        m_bSavedWin2000 = g_bIsWindows2000;
        g_bIsWindows2000 = 0;
    }

    void TearDown() override
    {
        g_bIsWindows2000 = m_bSavedWin2000;
        EmulatedMachineTest::TearDown();
    }

    // Puts an emulated drive behind the next free drive letter (D: onward) on an adapter of the bus type and
    // returns its record, as discovery would have left it.
    CDeviceRecord AttachDrive(int nDrive, int nBusType, const char* pszVendor, const char* pszProduct,
                              const char* pszRevision)
    {
        int nLetter = m_nNextLetter++;
        m_pMachine->SetLetter(nLetter, DRIVE_CDROM, nDrive);
        CDeviceRecord record;
        record.m_nAdapter = m_Manager.m_Adapters.GetSize();
        record.m_nDriveLetter = nLetter;
        record.m_nBusType = nBusType;
        std::strncpy(record.m_szVendor, pszVendor, 8);
        std::strncpy(record.m_szProduct, pszProduct, 16);
        std::strncpy(record.m_szRevision, pszRevision, 4);
        CHostAdapter adapter;
        adapter.m_nBusType = nBusType;
        CArray<CDeviceRecord> group;
        group.Add(record);
        adapter.m_Targets.Add(group);
        m_Manager.m_Adapters.Add(adapter);
        m_Manager.m_Letters[nLetter].m_bInquireViaLetter = 1;
        return record;
    }

    CDeviceRecord AddProfile(int nProfile, int nBusType, int* pnDrive = nullptr)
    {
        int nDrive = EmuAddProfileDrive(m_pMachine, nProfile);
        if (pnDrive != nullptr)
            *pnDrive = nDrive;
        const EmuProfileInfo& info = EmuGetProfileInfo(nProfile);
        return AttachDrive(nDrive, nBusType, info.pszVendor, info.pszProduct, info.pszRevision);
    }

    CDeviceRecord AddPlainDrive(const char* pszVendor, const char* pszProduct, const char* pszRevision, int nBusType,
                                int* pnDrive = nullptr)
    {
        int nDrive = m_pMachine->AddDrive(pszVendor, pszProduct, pszRevision);
        if (pnDrive != nullptr)
            *pnDrive = nDrive;
        return AttachDrive(nDrive, nBusType, pszVendor, pszProduct, pszRevision);
    }

    // A drive of the profile reporting another identity (the record carries the same identity). The letters
    // start again at D: on an emptied machine once they run out.
    CDeviceRecord AddAs(int nProfile, const char* pszVendor, const char* pszProduct16, const char* pszRevision,
                        int nBusType, int* pnDrive = nullptr)
    {
        if (m_nNextLetter > kLastDriveLetterSlot)
            ResetDrives();
        int nDrive = EmuAddProfileDriveAs(m_pMachine, nProfile, pszVendor, pszProduct16, pszRevision);
        // The storage stack restates six-byte mode commands for other makers' ATAPI drives.
        if (std::strncmp(pszVendor, "KORVATH", 7) != 0)
            m_pMachine->SetInt(nDrive, "mode.refuse6", 0);
        if (pnDrive != nullptr)
            *pnDrive = nDrive;
        return AttachDrive(nDrive, nBusType, pszVendor, pszProduct16, pszRevision);
    }

    CDeviceRecord AddMaker(int nProfile, const char* pszProduct16, const char* pszRevision, int nBusType = 0,
                           int* pnDrive = nullptr)
    {
        return AddAs(nProfile, "KORVATH ", pszProduct16, pszRevision, nBusType, pnDrive);
    }

    // Empties the machine and the adapter list (tables of cases run out of drive letters otherwise).
    void ResetDrives()
    {
        m_pMachine->Reset();
        m_Manager.m_Adapters.RemoveAll();
        m_nNextLetter = 3;
    }

    // The SCSI commands of the log other than INQUIRY (the model lookups' own commands).
    std::vector<EmuLogEntry> Commands()
    {
        std::vector<EmuLogEntry> result;
        for (const EmuLogEntry& entry : ScsiLogEntries(m_pMachine)) {
            if (entry.cdb[0] != 0x12)
                result.push_back(entry);
        }
        return result;
    }

    std::vector<uint8_t> Opcodes()
    {
        std::vector<uint8_t> result;
        for (const EmuLogEntry& entry : Commands())
            result.push_back(entry.cdb[0]);
        return result;
    }

    // The CDBs of Commands() as hex text.
    std::vector<std::string> Cdbs()
    {
        std::vector<std::string> result;
        for (const EmuLogEntry& entry : Commands())
            result.push_back(HexBytes(entry.cdb, entry.nCdbLength));
        return result;
    }

    // Data-out bytes of a command of Commands().
    std::vector<uint8_t> DataOut(const EmuLogEntry& entry) { return ::DataOutOf(m_pMachine, entry); }

    void SetBytes(int nDrive, const char* pszKey, const std::vector<uint8_t>& data)
    {
        m_pMachine->SetBytes(nDrive, pszKey, data.data(), uint32_t(data.size()));
    }

    // An answer of a drive as stored in the emulator, changed by fn, stored back.
    template <typename Fn>
    void EditPage(int nDrive, const char* pszKey, Fn fn)
    {
        std::vector<uint8_t> page(256, 0);
        uint32_t n = m_pMachine->GetBytes(nDrive, pszKey, page.data(), uint32_t(page.size()));
        page.resize(n);
        fn(page);
        SetBytes(nDrive, pszKey, page);
    }

    CDriveManager m_Manager;
    int m_nNextLetter = 3;
    BYTE m_bSavedWin2000 = 0;
};

#endif
