// tests/startup/VendorInfoBlockTest.cpp
// The vendor information block read of the bus-type repair: the normal form for most drives, 256-byte pieces for
// the four-family group, as the emulated drive behind the pass-through interface receives them.
#include <windows.h>

#include "Emu.h"
#include "drive/DriveManager.h"
#include "support/EmuBytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class VendorInfoBlockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pMachine = EmuStartMachine();
        m_Manager.m_nAccessMode = kAccessModeSpti;
    }
    void TearDown() override
    {
        EmuRemoveDeviceIo();
        m_pMachine->Reset();
    }

    // A drive of the maker answering the vendor commands, on letter index 4 with a 512-byte block 00 00 01 01 ...
    CDeviceRecord AddDrive(const char* product)
    {
        int nDrive = m_pMachine->AddDrive("KORVATH ", product, "1.05");
        m_pMachine->SetInt(nDrive, "vendor", 1);
        std::vector<uint8_t> block(512);
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = uint8_t(i / 2);
        m_pMachine->SetBytes(nDrive, "vendor.info", block.data(), uint32_t(block.size()));
        m_pMachine->SetLetter(4, DRIVE_CDROM, nDrive);
        CDeviceRecord record;
        record.m_nDriveLetter = 4;
        strcpy(record.m_szVendor, "KORVATH ");
        strcpy(record.m_szProduct, product);
        return record;
    }

    std::vector<std::string> Commands()
    {
        std::vector<std::string> commands;
        for (int i = 0; i < m_pMachine->GetLogCount(); ++i) {
            EmuLogEntry entry;
            if (m_pMachine->GetLogEntry(i, &entry) && entry.nKind == kEmuRequestScsi)
                commands.push_back(HexBytes(entry.cdb, entry.nCdbLength));
        }
        return commands;
    }

    IEmuMachine* m_pMachine = nullptr;
    CDriveManager m_Manager;
};

} // namespace

TEST_F(VendorInfoBlockTest, PiecesForTheFourFamilyGroup)
{
    struct Case {
        int length;
        std::vector<std::string> commands;
    };
    const Case cases[] = {
        {512, {"F1 01 00 00 00 00 00 00 01 00 00 00", "F1 01 00 00 00 00 00 01 01 00 00 00"}},
        {300, {"F1 01 00 00 00 00 00 00 01 00 00 00", "F1 01 00 00 00 00 00 01 00 2C 00 00"}},
        {128, {"F1 01 00 00 00 00 00 00 00 80 00 00"}},
        {0, {}},
    };
    for (const Case& c : cases) {
        CDeviceRecord record = AddDrive("DVDR   QZ7160   ");
        m_pMachine->ClearLog();
        std::vector<BYTE> buffer(512, 0xEE);
        ExecStatus status = m_Manager.ReadVendorInfoBlock(record, 0x1234, c.length, buffer.data());
        EXPECT_EQ(c.length > 0 ? 1 : 0, status) << c.length;
        EXPECT_EQ(c.commands, Commands()) << c.length;
        if (c.length == 512) {
            EXPECT_EQ(0, buffer[0]);
            EXPECT_EQ(127, buffer[255]);
            EXPECT_EQ(128, buffer[256]); // piece 1 is block bytes 256-511
            EXPECT_EQ(255, buffer[511]);
        }
        m_pMachine->Reset();
    }
}

TEST_F(VendorInfoBlockTest, NormalFormForOtherDrives)
{
    CDeviceRecord record = AddDrive("DVDR   QZ7240   ");
    m_pMachine->ClearLog();
    BYTE block[0x80] = {};
    EXPECT_EQ(1, m_Manager.ReadVendorInfoBlock(record, 0, 0x80, block));
    EXPECT_EQ(std::vector<std::string>{"F1 00 00 00 00 00 00 00 00 80 00 00"}, Commands());
    EXPECT_EQ(24, block[49]);
}

// A drive that rejects the command: the status of the failed command; the piece form stops at the first failure.
TEST_F(VendorInfoBlockTest, FailedPieceStopsTheRead)
{
    CDeviceRecord record = AddDrive("DVDR   QZ7200   ");
    m_pMachine->QueueSense(0, 0xF1, 5, 0x24, 0x00, 1);
    m_pMachine->ClearLog();
    std::vector<BYTE> buffer(512);
    EXPECT_NE(1, m_Manager.ReadVendorInfoBlock(record, 0, 512, buffer.data()));
    EXPECT_EQ(1u, Commands().size());
}
