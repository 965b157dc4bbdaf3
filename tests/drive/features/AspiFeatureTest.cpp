// tests/drive/features/AspiFeatureTest.cpp
// The feature, text and speed queries through the ASPI back end (Windows 98 with the test ASPI library), where
// every INQUIRY and command is an ASPI request instead of a letter-device request.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Emu.h"
#include "EmuFeatureProfiles.h"
#include "EmuProfiles.h"
#include "drive/DriveManager.h"
#include "drive/SpeedCache.h"
#include "framework/Registry.h"
#include "support/DriveRecords.h"
#include "support/DriveTestFixture.h"

namespace {

class AspiFeatureTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(StartAspiMachine(m_pMachine, m_Manager)); }

    // A drive of the profile under the identity at (adapter 1, the next target).
    CDeviceRecord Add(int nProfile, const char* pszVendor, const char* pszProduct16, const char* pszRevision,
                      int nBusType, int* pnDrive)
    {
        *pnDrive = EmuAddProfileDriveAs(m_pMachine, nProfile, pszVendor, pszProduct16, pszRevision);
        int nTarget = m_nNextTarget++;
        m_pMachine->AttachAspi(*pnDrive, 1, nTarget, 0);
        CDeviceRecord record = MakeRecord(1, nTarget, kDriveLetterNone);
        record.m_nBusType = nBusType;
        std::memcpy(record.m_szVendor, pszVendor, std::min<size_t>(std::strlen(pszVendor), 8));
        std::memcpy(record.m_szProduct, pszProduct16, std::min<size_t>(std::strlen(pszProduct16), 16));
        std::memcpy(record.m_szRevision, pszRevision, std::min<size_t>(std::strlen(pszRevision), 4));
        return record;
    }

    std::vector<std::string> Cdbs(uint8_t opcode)
    {
        std::vector<std::string> result;
        for (int i = 0; i < m_pMachine->GetLogCount(); ++i) {
            EmuLogEntry entry;
            if (!m_pMachine->GetLogEntry(i, &entry) || entry.cdb[0] != opcode)
                continue;
            EXPECT_EQ(kEmuFrontAspi, entry.nFrontEnd);
            result.push_back(HexBytes(entry.cdb, entry.nCdbLength));
        }
        return result;
    }

    IEmuMachine* m_pMachine = nullptr;
    CDriveManager m_Manager;
    int m_nNextTarget = 0;
};

TEST_F(AspiFeatureTest, FeaturesAndTextsOfTheMakersDrives)
{
    int nFour = 0, nOther = 0, nCdRom = 0;
    CDeviceRecord four = Add(kEmuFourFamilyDvdWriter, "KORVATH ", "DVDR   QZ7160   ", "1.05", 3, &nFour);
    CDeviceRecord other = Add(kEmuOtherDvdWriter, "VELDARO ", "DVD-RW XR-7700  ", "1.00", 3, &nOther);
    CDeviceRecord cdrom = Add(kEmuScsiCdRom, "KORVATH ", "CDROM  QZ1240   ", "1.02", 3, &nCdRom);
    m_pMachine->SetInt(nOther, "mode.refuse6", 0);

    std::vector<uint8_t> block(512, 0);
    std::memcpy(&block[26], "0A1B2", 5);
    block[297] = 100;
    m_pMachine->SetBytes(nFour, "vendor.info", block.data(), uint32_t(block.size()));

    EXPECT_TRUE(m_Manager.IsWriter(four));
    EXPECT_TRUE(m_Manager.IsDvdWriter(four));
    EXPECT_FALSE(m_Manager.IsWriter(other));
    EXPECT_TRUE(m_Manager.IsDvdWriter(other));
    EXPECT_FALSE(m_Manager.IsCdWriter(cdrom));
    EXPECT_TRUE(m_Manager.IsStratafitSupported(four));
    EXPECT_TRUE(m_Manager.IsSpeedamodeSupported(four));

    m_pMachine->ClearLog();
    char text[64] = "";
    EXPECT_TRUE(m_Manager.GetSerialNumberText(four, text));
    EXPECT_STREQ("041394", text);
    EXPECT_STREQ("0.1.40A - 0.0.0A", m_Manager.GetUsageCounterText(four, text));
    std::vector<std::string> f1 = Cdbs(0xF1);
    ASSERT_EQ(3u, f1.size());
    EXPECT_EQ("F1 01 00 00 00 00 00 00 00 80 00 00", f1[0]);
    EXPECT_EQ("F1 01 00 00 00 00 00 01 01 00 00 00", f1[2]);

    four.m_nTarget = 0;
    m_Manager.GetDriveLabel(four, text);
    EXPECT_STREQ("ID:0  QZ7160   ", text);
    m_Manager.GetDriveLabel(other, text);
    EXPECT_STREQ("ID:1  DVD-RW XR-7700  ", text);

    m_pMachine->ClearLog();
    EXPECT_EQ(1, m_Manager.SetVendorOption(four, 1, 0, nullptr));
    EXPECT_EQ(std::vector<std::string>({"E9 10 21 01 00 00 00 00 00 00 00 00"}), Cdbs(0xE9));
}

// The speed probe and cache and a speed text through ASPI.
TEST_F(AspiFeatureTest, SpeedsAndTheSpeedCache)
{
    const std::string key = std::string(kProgramRegistryKey) + "\\CD-R   XR-4890";
    CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, key.c_str());
    int nDrive = 0;
    CDeviceRecord record = Add(kEmuOtherScsiCdWriter, "VELDARO ", "CD-R   XR-4890  ", "1.00", 3, &nDrive);
    EmuSetCdSpeeds(m_pMachine, nDrive, {48, 40, 32, 24, 16, 8});
    int speeds[60];
    ASSERT_EQ(6, m_Manager.LoadSpeedCache(record, speeds));
    EXPECT_EQ(8, speeds[5]);
    CRegistryKey stored;
    ASSERT_EQ(ERROR_SUCCESS, stored.Open(HKEY_LOCAL_MACHINE, key.c_str()));
    CString text;
    ASSERT_EQ(ERROR_SUCCESS, stored.QueryString("Speeds", text));
    EXPECT_STREQ("48+40+32+24+16+08", text);
    stored.Close();

    m_pMachine->ClearLog();
    ASSERT_EQ(6, m_Manager.LoadSpeedCache(record, speeds));
    EXPECT_TRUE(Cdbs(0xBB).empty());

    m_Manager.SetCdReadSpeed(record, 24);
    char speed[32];
    EXPECT_STREQ("24 X", m_Manager.GetReadSpeedText(record, 0, speed));
    CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, key.c_str());
}

} // namespace
