// tests/support/DriveTestFixture.h
// A drive manager under the pass-through back end whose letter devices are emulated drives, on the virtual clock.
#ifndef TAVISK_TESTS_DRIVE_COMMANDS_DRIVETESTFIXTURE_H
#define TAVISK_TESTS_DRIVE_COMMANDS_DRIVETESTFIXTURE_H

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "emu/Emu.h"
#include "support/EmuLog.h"
#include "emu/EmuProfiles.h"
#include "drive/DriveManager.h"

class DriveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pMachine = EmuStartMachine();
        EmuInstallClock(m_pMachine);
        m_Manager.m_nAccessMode = kAccessModeSpti;
        m_nNextLetter = 3;
        m_bSavedWin2000 = g_bIsWindows2000;
        g_bIsWindows2000 = 0;
    }

    void TearDown() override
    {
        g_bIsWindows2000 = m_bSavedWin2000;
        EmuRemoveClock();
        EmuRemoveDeviceIo();
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
        m_Manager.m_bInquireViaLetter[nLetter] = 1;
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

    // Data-out bytes of a command of Commands().
    std::vector<uint8_t> DataOut(const EmuLogEntry& entry) { return ::DataOutOf(m_pMachine, entry); }

    void SetBytes(int nDrive, const char* pszKey, const std::vector<uint8_t>& data)
    {
        m_pMachine->SetBytes(nDrive, pszKey, data.data(), uint32_t(data.size()));
    }

    IEmuMachine* m_pMachine = nullptr;
    CDriveManager m_Manager;
    int m_nNextLetter = 3;
    BYTE m_bSavedWin2000 = 0;
};

#endif
