// tests/support/FeatureTestSupport.h
// The drive fixture with drives under any identity, and CDB expectations written as text.
#ifndef TAVISK_TESTS_DRIVE_FEATURES_FEATURETESTSUPPORT_H
#define TAVISK_TESTS_DRIVE_FEATURES_FEATURETESTSUPPORT_H

#include <cstdio>
#include <string>
#include <vector>

#include "support/DriveTestFixture.h"
#include "emu/EmuFeatureProfiles.h"

class FeatureTest : public DriveTest {
protected:
    // A drive of the profile reporting another identity (the record carries the same identity).
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

    // Empties the machine and the adapter list (tables of cases run out of drive letters otherwise).
    void ResetDrives()
    {
        m_pMachine->Reset();
        m_Manager.m_Adapters.RemoveAll();
        m_nNextLetter = 3;
    }

    CDeviceRecord AddMaker(int nProfile, const char* pszProduct16, const char* pszRevision, int nBusType = 0,
                           int* pnDrive = nullptr)
    {
        return AddAs(nProfile, "KORVATH ", pszProduct16, pszRevision, nBusType, pnDrive);
    }

    // Page 0x2A of a drive as stored in the emulator, changed by fn, stored back.
    template <typename Fn>
    void EditPage(int nDrive, const char* pszKey, Fn fn)
    {
        std::vector<uint8_t> page(256, 0);
        uint32_t n = m_pMachine->GetBytes(nDrive, pszKey, page.data(), uint32_t(page.size()));
        page.resize(n);
        fn(page);
        SetBytes(nDrive, pszKey, page);
    }

    static std::string Hex(const uint8_t* p, int n)
    {
        std::string text;
        for (int i = 0; i < n; ++i) {
            char byte[4];
            std::snprintf(byte, sizeof(byte), i == 0 ? "%02X" : " %02X", p[i]);
            text += byte;
        }
        return text;
    }

    // The CDBs of the log other than INQUIRY, as hex text.
    std::vector<std::string> Cdbs()
    {
        std::vector<std::string> result;
        for (const EmuLogEntry& entry : Commands())
            result.push_back(Hex(entry.cdb, entry.nCdbLength));
        return result;
    }
};

#endif
