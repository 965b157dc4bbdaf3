// tests/drive/features/SpeedComboTest.cpp
// The CD read, DVD read and write-speed combo boxes, filled and applied on real combo boxes of a dialog, with the
// commands checked in the emulated drive's log.
#include <cstring>
#include <string>

#include "support/DriveTestFixture.h"
#include "SpeedComboDialog.h"
#include "drive/SpeedCache.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Registry.h"

namespace {

class SpeedComboTest : public DriveTest {
protected:
    void SetUp() override
    {
        DriveTest::SetUp();
        ASSERT_TRUE(m_dialog.Create(IDD_SPEED_COMBOS, nullptr));
        ASSERT_TRUE(m_read.Attach(m_dialog.GetDlgItemHwnd(IDC_READ_SPEED)));
        ASSERT_TRUE(m_write.Attach(m_dialog.GetDlgItemHwnd(IDC_WRITE_SPEED)));
    }

    void TearDown() override
    {
        m_read.Detach();
        m_write.Detach();
        m_dialog.DestroyWindow();
        for (const char* product : m_cacheKeys)
            CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, (std::string(kProgramRegistryKey) + "\\" + product).c_str());
        DriveTest::TearDown();
    }

    static std::vector<std::string> Items(CComboBox& combo)
    {
        std::vector<std::string> items;
        for (int i = 0; i < combo.GetCount(); ++i) {
            CString text;
            combo.GetLBText(i, text);
            items.push_back(static_cast<LPCTSTR>(text));
        }
        return items;
    }

    void UseCacheKey(const char* product)
    {
        m_cacheKeys.push_back(product);
        CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, (std::string(kProgramRegistryKey) + "\\" + product).c_str());
    }

    std::vector<std::string> SetCdSpeedCdbs()
    {
        std::vector<std::string> result;
        for (const std::string& cdb : Cdbs())
            if (cdb.compare(0, 2, "BB") == 0)
                result.push_back(cdb);
        return result;
    }

    static std::string SetCdSpeedCdb(int read, int write)
    {
        uint8_t cdb[12] = {0xBB, 0, uint8_t(read >> 8), uint8_t(read), uint8_t(write >> 8), uint8_t(write)};
        return HexBytes(cdb, 12);
    }

    std::vector<uint8_t> LastDataOut(uint8_t opcode)
    {
        std::vector<EmuLogEntry> log = Commands();
        for (auto it = log.rbegin(); it != log.rend(); ++it)
            if (it->cdb[0] == opcode)
                return DataOut(*it);
        return {};
    }

    CDialog m_dialog;
    CComboBox m_read;
    CComboBox m_write;
    std::vector<const char*> m_cacheKeys;
};

// The maker's drives offer their own list, fastest first; the 20-48 range only while the read-mode setting is on.
TEST_F(SpeedComboTest, CdReadModelList)
{
    for (bool readMode : {true, false}) {
        ResetDrives();
        m_read.ResetContent();
        int nDrive = 0;
        CDeviceRecord record = AddMaker(kEmuAtapiCdRom, "CDROM  QZ1480   ", "1.00", 0, &nDrive);
        EmuSetCdSpeeds(m_pMachine, nDrive, {4, 8, 16, 48});
        m_Manager.SetCdSpeed(record, 16 * 177, 0xFFFF);
        SetBytes(nDrive, "vendor.e9.BB", {0, 6, uint8_t(readMode ? 0x01 : 0x00), 0, 0, 0, 0, 0});
        m_pMachine->ClearLog();
        ASSERT_TRUE(m_Manager.FillCdReadSpeedCombo(record, m_read));
        std::vector<std::string> cdbs = Cdbs();
        EXPECT_EQ(1, std::count(cdbs.begin(), cdbs.end(), std::string("E9 00 BB 00 00 00 00 00 00 00 08 00")));
        if (readMode) {
            EXPECT_EQ(std::vector<std::string>({"20-48 X CAV", "16 X CLV", "8 X CLV", "4 X CLV"}), Items(m_read));
            EXPECT_EQ(1, m_read.GetCurSel());
        } else {
            EXPECT_EQ(std::vector<std::string>({"16 X CLV", "8 X CLV", "4 X CLV"}), Items(m_read));
            EXPECT_EQ(0, m_read.GetCurSel());
        }

        // Applying the first item selects the entry of its upper speed through vendor page 0x31.
        m_read.SetCurSel(readMode ? 0 : 1);
        m_pMachine->ClearLog();
        ASSERT_TRUE(m_Manager.ApplyCdReadSpeedFromCombo(record, m_read));
        std::vector<uint8_t> list = LastDataOut(0x55);
        ASSERT_GE(list.size(), 4u);
        EXPECT_EQ(std::vector<uint8_t>({0x31, 0x02, uint8_t(readMode ? 3 : 1), 0x00}),
                  std::vector<uint8_t>(list.end() - 4, list.end()));
        EXPECT_EQ(readMode ? 0 : 1, m_read.GetCurSel());
    }
}

// A 23-54 range is offered only by a drive that reaches 54 X; the fill step puts the read speed back.
TEST_F(SpeedComboTest, CdReadRangeUpTo54)
{
    for (int top : {54, 48}) {
        ResetDrives();
        m_read.ResetContent();
        int nDrive = 0;
        CDeviceRecord record = AddMaker(kEmuAtapiCdRom, "CDROM  QZ1560   ", "1.00", 0, &nDrive);
        EmuSetCdSpeeds(m_pMachine, nDrive, {4, 8, 16, 24, top});
        m_Manager.SetCdSpeed(record, 24 * 177, 0xFFFF);
        m_pMachine->ClearLog();
        ASSERT_TRUE(m_Manager.FillCdReadSpeedCombo(record, m_read));
        std::vector<std::string> expected = {"24 X CLV", "16 X CLV", "8 X CLV", "4 X CLV"};
        if (top == 54)
            expected.insert(expected.begin(), "23-54 X CAV");
        EXPECT_EQ(expected, Items(m_read));
        EXPECT_EQ(top == 54 ? 1 : 0, m_read.GetCurSel());
        EXPECT_EQ(std::vector<std::string>({SetCdSpeedCdb(0xFFFF, 0xFFFF), SetCdSpeedCdb(24 * 177, 0xFFFF)}),
                  SetCdSpeedCdbs());
        EXPECT_EQ(24, m_Manager.GetMaxReadSpeed(record));
    }
}

TEST_F(SpeedComboTest, CdReadWithoutOfferedEntriesOrModel)
{
    CDeviceRecord empty = AddMaker(kEmuAtapiCdWriter, "CD-R   QZ4400PM ", "1.00");
    ASSERT_TRUE(m_Manager.FillCdReadSpeedCombo(empty, m_read));
    EXPECT_EQ(std::vector<std::string>({"maximum"}), Items(m_read));
    EXPECT_EQ(0, m_read.GetCurSel());
    m_pMachine->ClearLog();
    ASSERT_TRUE(m_Manager.ApplyCdReadSpeedFromCombo(empty, m_read));
    EXPECT_EQ(std::vector<std::string>({SetCdSpeedCdb(0xFFFF, 0xFFFF)}), SetCdSpeedCdbs());

    m_read.ResetContent();
    CDeviceRecord other = AddProfile(kEmuOtherScsiCdWriter, 3);
    m_pMachine->ClearLog();
    EXPECT_FALSE(m_Manager.FillCdReadSpeedCombo(other, m_read));
    EXPECT_EQ(0, m_read.GetCount());
    EXPECT_TRUE(Opcodes().empty());
}

// Listed drives without vendor information offer the speeds of the per-model cache.
TEST_F(SpeedComboTest, CdReadFromSpeedCache)
{
    UseCacheKey("CD-R   QZ3320");
    int nDrive = 0;
    CDeviceRecord record = AddMaker(kEmuAtapiCdWriter, "CD-R   QZ3320   ", "1.00", 0, &nDrive);
    EmuSetCdSpeeds(m_pMachine, nDrive, {48, 40, 32, 24, 16, 8});
    ASSERT_TRUE(m_Manager.FillCdReadSpeedCombo(record, m_read));
    EXPECT_EQ(std::vector<std::string>({"48 X", "40 X", "32 X", "24 X", "16 X", "8 X"}), Items(m_read));
    EXPECT_EQ(0, m_read.GetCurSel());

    m_Manager.SetCdSpeed(record, 24 * 177, 0xFFFF);
    m_read.ResetContent();
    m_pMachine->ClearLog();
    ASSERT_TRUE(m_Manager.FillCdReadSpeedCombo(record, m_read));
    EXPECT_EQ(3, m_read.GetCurSel());
    EXPECT_TRUE(SetCdSpeedCdbs().empty());

    m_read.SetCurSel(2);
    m_pMachine->ClearLog();
    ASSERT_TRUE(m_Manager.ApplyCdReadSpeedFromCombo(record, m_read));
    EXPECT_EQ(std::vector<std::string>({SetCdSpeedCdb(32 * 177, 0xFFFF)}), SetCdSpeedCdbs());
    EXPECT_EQ(32, m_Manager.GetMaxReadSpeed(record));
    EXPECT_EQ(2, m_read.GetCurSel());

    // A selection outside the list sends nothing.
    m_read.SetCurSel(-1);
    m_pMachine->ClearLog();
    m_Manager.ApplyCdReadSpeedFromCombo(record, m_read);
    EXPECT_TRUE(SetCdSpeedCdbs().empty());
}

TEST_F(SpeedComboTest, CdReadCacheOfDriveRefusingSpeeds)
{
    UseCacheKey("DVD    QZ8240");
    int nDrive = 0;
    CDeviceRecord record = AddMaker(kEmuPlainDvdRom, "DVD    QZ8240   ", "1.00", 0, &nDrive);
    m_pMachine->SetInt(nDrive, "speed.cdRefuse", 1);
    ASSERT_TRUE(m_Manager.FillCdReadSpeedCombo(record, m_read));
    EXPECT_EQ(std::vector<std::string>({"maximum"}), Items(m_read));
    EXPECT_EQ(0, m_read.GetCurSel());
    m_pMachine->ClearLog();
    m_Manager.ApplyCdReadSpeedFromCombo(record, m_read);
    EXPECT_EQ(std::vector<std::string>({SetCdSpeedCdb(0xFFFF, 0xFFFF)}), SetCdSpeedCdbs());
}

TEST_F(SpeedComboTest, DvdReadModelList)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuFourFamilyDvdWriter, 0, &nDrive); // 2X CLV, 3-8X CAV, 6.6-16X CAV
    m_pMachine->SetInt(nDrive, "config.profile", 0x10);
    EmuSetDvdSpeeds(m_pMachine, nDrive, {{2770, 11080}, {9141, 22160}}, {5540});
    m_Manager.SetStreamingSpeeds(record, 11080, 0);
    m_read.AddString("stale");
    EXPECT_NE(CB_ERR, m_Manager.FillDvdReadSpeedCombo(record, m_read));
    EXPECT_EQ(std::vector<std::string>({"6.6-16 X CAV", "3-8 X CAV", "2 X CLV"}), Items(m_read));
    EXPECT_EQ(1, m_read.GetCurSel());

    m_read.SetCurSel(0);
    m_pMachine->ClearLog();
    EXPECT_EQ(1, m_Manager.ApplyDvdReadSpeedFromCombo(record, m_read));
    EXPECT_EQ(22160, m_pMachine->GetInt(nDrive, "speed.lastRead", 0));
    EXPECT_EQ(5540, m_pMachine->GetInt(nDrive, "speed.lastWrite", 0)); // the write speed kept
    EXPECT_EQ(22160, m_Manager.GetDvdReadSpeed(record));
}

// Other drives are probed down from their maximum one 1385 KB/s step at a time; the maximum is set again.
TEST_F(SpeedComboTest, DvdReadProbed)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuOtherDvdWriter, 0, &nDrive);
    m_pMachine->SetInt(nDrive, "mode.refuse6", 0);
    EmuSetDvdSpeeds(m_pMachine, nDrive, {{2770, 6925}, {4155, 11080}, {6925, 16620}}, {5540});
    m_pMachine->ClearLog();
    EXPECT_NE(CB_ERR, m_Manager.FillDvdReadSpeedCombo(record, m_read));
    EXPECT_EQ(std::vector<std::string>({"5-12 X ", "3-8 X ", "2-5 X "}), Items(m_read));
    EXPECT_EQ(0, m_read.GetCurSel());
    EXPECT_EQ(16620, m_Manager.GetDvdReadSpeed(record));
    std::vector<uint8_t> ops = Opcodes();
    EXPECT_EQ(13, std::count(ops.begin(), ops.end(), uint8_t(0xB6))); // maximum, 11 steps down, maximum again
    EXPECT_EQ(16620, m_pMachine->GetInt(nDrive, "speed.lastRead", 0));

    m_read.SetCurSel(1);
    EXPECT_EQ(1, m_Manager.ApplyDvdReadSpeedFromCombo(record, m_read));
    EXPECT_EQ(11080, m_Manager.GetDvdReadSpeed(record));

    // A drive that reports no read speed offers only the maximum; applying it asks for 50 X.
    SetBytes(nDrive, "speed.dvdRead", {});
    SetBytes(nDrive, "perf.type0", {});
    m_pMachine->SetInt(nDrive, "perf.requireDataType10", 1);
    EXPECT_NE(CB_ERR, m_Manager.FillDvdReadSpeedCombo(record, m_read));
    EXPECT_EQ(std::vector<std::string>({"maximum"}), Items(m_read));
    m_Manager.ApplyDvdReadSpeedFromCombo(record, m_read);
    EXPECT_EQ(50 * 1385, m_pMachine->GetInt(nDrive, "speed.lastRead", 0));
}

// A drive reporting an absurd maximum is probed at most 50 steps.
TEST_F(SpeedComboTest, DvdReadProbeIsBounded)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuOtherDvdWriter, 0, &nDrive);
    m_pMachine->SetInt(nDrive, "mode.refuse6", 0);
    EmuSetDvdSpeeds(m_pMachine, nDrive, {{1000000, 4000000000u}}, {});
    m_pMachine->ClearLog();
    m_Manager.FillDvdReadSpeedCombo(record, m_read);
    std::vector<uint8_t> ops = Opcodes();
    EXPECT_LE(std::count(ops.begin(), ops.end(), uint8_t(0xB6)), 53);
    EXPECT_EQ(std::vector<std::string>({"maximum"}), Items(m_read));
}

TEST_F(SpeedComboTest, DvdWriteSpeeds)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuOtherDvdWriter, 0, &nDrive);
    m_pMachine->SetInt(nDrive, "mode.refuse6", 0);
    EmuSetDvdSpeeds(m_pMachine, nDrive, {{6925, 16620}}, {3324, 11080, 5540, 5540});
    ASSERT_TRUE(m_Manager.FillWriteSpeedCombo(record, m_write, TRUE));
    EXPECT_EQ(std::vector<std::string>({"8.0 X (11080 KB/s)", "4.0 X (5540 KB/s)", "2.4 X (3324 KB/s)"}),
              Items(m_write));
    EXPECT_EQ(0, m_write.GetCurSel());

    m_write.SetCurSel(1);
    ASSERT_TRUE(m_Manager.ApplyWriteSpeedFromCombo(record, m_write, TRUE));
    EXPECT_EQ(4 * 1385, m_pMachine->GetInt(nDrive, "speed.lastWrite", 0));
    EXPECT_EQ(int64_t(0xFFFFFFFF), m_pMachine->GetInt(nDrive, "speed.lastRead", 0));
    // "2.4 X" is the drive's 3324 KB/s, not 2.4 rounded to whole X.
    m_write.SetCurSel(2);
    ASSERT_TRUE(m_Manager.ApplyWriteSpeedFromCombo(record, m_write, TRUE));
    EXPECT_EQ(3324, m_pMachine->GetInt(nDrive, "speed.lastWrite", 0));
    EmuSetDvdSpeeds(m_pMachine, nDrive, {{6925, 16620}}, {3324, 11080, 5540, 5540});
    m_Manager.SetStreamingSpeeds(record, -1, 5540);
    ASSERT_TRUE(m_Manager.FillWriteSpeedCombo(record, m_write, TRUE));
    EXPECT_EQ(1, m_write.GetCurSel());

    m_pMachine->SetInt(nDrive, "perf.requireDataType10", 1);
    ASSERT_TRUE(m_Manager.FillWriteSpeedCombo(record, m_write, TRUE));
    EXPECT_EQ(std::vector<std::string>({"maximum"}), Items(m_write));
    m_Manager.ApplyWriteSpeedFromCombo(record, m_write, TRUE);
    EXPECT_EQ(int64_t(0xFFFFFFFF), m_pMachine->GetInt(nDrive, "speed.lastWrite", 0)) << "the fastest";
    EXPECT_EQ(int64_t(0xFFFFFFFF), m_pMachine->GetInt(nDrive, "speed.lastRead", 0));
}

TEST_F(SpeedComboTest, CdWriteSpeeds)
{
    int nDrive = 0;
    CDeviceRecord writer = AddProfile(kEmuAtapiCdWriter, 0, &nDrive);
    EmuSetCdSpeeds(m_pMachine, nDrive, {8, 16, 32, 48}, {4, 8, 16, 24});
    m_Manager.SetCdSpeed(writer, 32 * 177, 16 * 177);
    m_write.EnableWindow(FALSE);
    m_pMachine->ClearLog();
    ASSERT_TRUE(m_Manager.FillWriteSpeedCombo(writer, m_write, FALSE));
    EXPECT_TRUE(m_write.IsWindowEnabled());
    EXPECT_EQ(std::vector<std::string>({"24 X (3600 KB/s)", "16 X (2400 KB/s)", "8 X (1200 KB/s)", "4 X (600 KB/s)"}),
              Items(m_write));
    EXPECT_EQ(1, m_write.GetCurSel());
    std::vector<std::string> cdbs = SetCdSpeedCdbs();
    ASSERT_EQ(25u, cdbs.size()); // 24 X down to 1 X, then the speeds put back
    EXPECT_EQ(SetCdSpeedCdb(32 * 177, 24 * 177), cdbs.front());
    EXPECT_EQ(SetCdSpeedCdb(32 * 177, 16 * 177), cdbs.back());

    m_write.SetCurSel(2);
    m_pMachine->ClearLog();
    ASSERT_TRUE(m_Manager.ApplyWriteSpeedFromCombo(writer, m_write, FALSE));
    EXPECT_EQ(std::vector<std::string>({SetCdSpeedCdb(32 * 177, 8 * 177)}), SetCdSpeedCdbs());
    EXPECT_EQ(8 * 176, m_Manager.GetCurrentWriteSpeed(writer));

    CDeviceRecord reader = AddProfile(kEmuAtapiCdRom, 0);
    m_write.AddString("stale");
    ASSERT_TRUE(m_Manager.FillWriteSpeedCombo(reader, m_write, FALSE));
    EXPECT_FALSE(m_write.IsWindowEnabled());
    EXPECT_EQ(0, m_write.GetCount());
}

} // namespace
