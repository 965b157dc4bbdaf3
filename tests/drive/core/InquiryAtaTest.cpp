// tests/drive/core/InquiryAtaTest.cpp
// The INQUIRY forms under pass-through and the ATA/SMART requests, against the emulated machine.
#include <gtest/gtest.h>

#include <windows.h>
#include <ntddscsi.h>

#include <cstring>
#include <vector>

#include "support/DriveRecords.h"
#include "support/DriveTestFixture.h"
#include "drive/AtaPassThrough.h"

namespace {

const int kLetterD = 3;

class PassThroughIdentity : public EmulatedMachineTest {
protected:
    void SetUp() override
    {
        EmulatedMachineTest::SetUp();
        m_nDrive = m_pMachine->AddDrive("KOR\x7FVA\xA9H",
                                        "DVDR   QZ\x01"
                                        "6820A",
                                        "1.05");
        m_pMachine->SetLetter(kLetterD, DRIVE_CDROM, m_nDrive);
        m_Transport.m_nAccessMode = kAccessModeSpti;
        m_Record = MakeRecord(0, 1, kLetterD, 0, 0);
    }
    int Identify()
    {
        std::memset(m_szVendor, '?', sizeof(m_szVendor));
        std::memset(m_szProduct, '?', sizeof(m_szProduct));
        std::memset(m_szRevision, '?', sizeof(m_szRevision));
        return m_Transport.Inquiry(m_Record, m_szVendor, m_szProduct, m_szRevision);
    }
    // Ports 0 and nPort, the drive on nPort at (path 0, target 1), and the record on an IDE channel adapter of
    // that port.
    void PutOnPort(int nPort)
    {
        m_pMachine->AddPort(0);
        m_pMachine->AddPort(nPort);
        m_pMachine->AttachPort(m_nDrive, nPort, 0, 1, 0);
        AddAdapter(m_Transport, kBusTypeIdeChannel, nPort, {m_Record});
    }
    int ScsiCommandsLogged()
    {
        int n = 0;
        for (int i = 0; i < m_pMachine->GetLogCount(); ++i)
            n += LogAt(m_pMachine, i).nKind == kEmuRequestScsi;
        return n;
    }

    int m_nDrive = 0;
    CScsiTransport m_Transport;
    CDeviceRecord m_Record;
    char m_szVendor[9], m_szProduct[17], m_szRevision[5];
};

// Port data: no command is sent; characters outside 0x20-0x7E in vendor and product become blanks.
TEST_F(PassThroughIdentity, PortDataDescribesTheDevice)
{
    PutOnPort(1);
    EXPECT_EQ(0x501, Identify());
    EXPECT_STREQ("KOR VA H", m_szVendor);
    EXPECT_STREQ("DVDR   QZ 6820A ", m_szProduct);
    EXPECT_STREQ("1.05", m_szRevision);
    EXPECT_EQ(0, ScsiCommandsLogged());
    EXPECT_EQ(0, m_pMachine->GetOpenHandleCount());
}

TEST_F(PassThroughIdentity, PortScanStopsAtTheFirstGap)
{
    PutOnPort(2);
    EXPECT_EQ(0, Identify());
    EXPECT_EQ(0u, m_pMachine->GetDeviceOpenCount("\\\\.\\SCSI2:"));
    EXPECT_EQ('?', m_szVendor[0]);
}

TEST_F(PassThroughIdentity, BrokenPortDataIsWalkedSafely)
{
    m_pMachine->AddPort(0);
    // One bus whose chain points at itself; the entry matches path 0, target 1, LUN 0.
    std::vector<uint8_t> data = BytesAt(64, {{0, 1}, {8, 12}, {12, 0}, {13, 1}, {14, 0}});
    data[16] = 200; // INQUIRY length far beyond the data
    data[20] = 12;  // next entry: itself
    data[24] = 5;
    std::memcpy(&data[24 + 8], "CYCLIC  ", 8);
    m_pMachine->SetPortInquiryData(0, data.data(), uint32_t(data.size()));
    AddAdapter(m_Transport, kBusTypeScsi, 0, {m_Record});
    EXPECT_EQ(0x501, Identify());
    EXPECT_STREQ("CYCLIC  ", m_szVendor);
    EXPECT_STREQ("", m_szProduct);
}

// USB, IEEE 1394 and letter-only adapters answer through the letter, with the strings unchanged.
TEST_F(PassThroughIdentity, LetterBusesAskThroughTheLetter)
{
    for (int nBus : {kBusTypeUsb, kBusType1394, kBusTypeLetterOnly}) {
        SCOPED_TRACE(nBus);
        m_Transport.m_Adapters.RemoveAll();
        AddAdapter(m_Transport, nBus, -1, {m_Record});
        m_pMachine->ClearLog();
        EXPECT_EQ(0x501, Identify());
        EXPECT_STREQ("KOR\x7FVA\xA9H", m_szVendor);
        EXPECT_STREQ("DVDR   QZ\x01"
                     "6820A ",
                     m_szProduct);
        ASSERT_EQ(1, m_pMachine->GetLogCount());
        EmuLogEntry entry = LastLog(m_pMachine);
        const uint8_t inquiry[6] = {0x12, 0, 0, 0, 0x38, 0};
        EXPECT_EQ(0, std::memcmp(entry.cdb, inquiry, 6));
        EXPECT_EQ(56u, entry.nTransferLength);
    }
}

TEST_F(PassThroughIdentity, LetterFlagSendsThePortDeviceThroughTheLetter)
{
    AddAdapter(m_Transport, kBusTypeIdeChannel, 0, {m_Record});
    m_Transport.m_Letters[kLetterD].m_bInquireViaLetter = 1;
    EXPECT_EQ(0x501, Identify());
    EXPECT_EQ(1, ScsiCommandsLogged());
}

TEST_F(PassThroughIdentity, PeripheralByteIsUnsignedThroughTheLetter)
{
    m_pMachine->SetInt(m_nDrive, EMU_KEY_PERIPHERAL, 0x85);
    AddAdapter(m_Transport, kBusTypeUsb, -1, {m_Record});
    EXPECT_EQ(1 + 256 * 0x85, Identify());
}

TEST_F(PassThroughIdentity, RefusalsGiveZeroOrMinusOne)
{
    AddAdapter(m_Transport, kBusTypeUsb, -1, {m_Record});
    m_Record.m_nAdapter = 5; // a copy kept across a rescan
    EXPECT_EQ(0, Identify());
    m_Record.m_nAdapter = 0;
    m_Record.m_nTarget = -1;
    EXPECT_EQ(0, Identify());
    m_Record.m_nTarget = 1;
    m_Record.m_nDriveLetter = kDriveLetterInvalid;
    EXPECT_EQ(-1, Identify());
    EXPECT_EQ(-1, m_Transport.InquiryViaLetter(m_Record, m_szVendor, m_szProduct, m_szRevision));
    m_Record.m_nDriveLetter = kLetterD;
    m_Transport.m_nAccessMode = kAccessModeNone;
    EXPECT_EQ(0, Identify());
    EXPECT_EQ(0, m_pMachine->GetLogCount());
    // The letter form works without a back end.
    EXPECT_EQ(0x501, m_Transport.InquiryViaLetter(m_Record, m_szVendor, m_szProduct, m_szRevision));
}

TEST_F(PassThroughIdentity, RawInquiryReturnsTheStatus)
{
    AddAdapter(m_Transport, kBusTypeUsb, -1, {m_Record});
    uint8_t reply[56] = {};
    EXPECT_EQ(1, m_Transport.InquiryRaw(m_Record, reply));
    EXPECT_EQ(0, std::memcmp(reply + 32, "1.05", 4));
    m_pMachine->QueueSense(m_nDrive, 0x12, 0x06, 0x29, 0x00, 1);
    EXPECT_EQ(0, m_Transport.InquiryRaw(m_Record, reply));
    EXPECT_EQ(0x62900, GetSenseCode(m_Record));
}

TEST_F(PassThroughIdentity, IdentifyDeviceRescansAndWaits)
{
    std::vector<uint8_t> identify(512);
    for (size_t i = 0; i < identify.size(); ++i)
        identify[i] = uint8_t(i);
    m_pMachine->SetBytes(m_nDrive, EMU_KEY_ATA_IDENTIFY, identify.data(), 512);

    const BYTE identifyRegs[8] = {0, 1, 1, 0, 0, 0xA0, 0xEC, 0};
    std::vector<uint8_t> out(600, 0xCC);
    uint64_t nBefore = m_pMachine->GetTimeUs();
    EXPECT_EQ(1, AtaPassThrough(m_Record, identifyRegs, nullptr, 0, out.data(), 512));
    EXPECT_GE(m_pMachine->GetTimeUs() - nBefore, 500000u);
    ASSERT_EQ(2, m_pMachine->GetLogCount());
    EXPECT_EQ(kEmuRequestRescanBus, LogAt(m_pMachine, 0).nKind);
    EmuLogEntry ata = LogAt(m_pMachine, 1);
    EXPECT_EQ(kEmuRequestAtaPassThrough, ata.nKind);
    EXPECT_EQ(0, std::memcmp(ata.ataRegisters, identifyRegs, 8));
    EXPECT_EQ(0, std::memcmp(out.data(), identify.data(), 512));
    EXPECT_EQ(0xCC, out[512]);

    // A shorter caller buffer gets only its length.
    std::vector<uint8_t> small(40, 0xCC);
    EXPECT_EQ(1, AtaPassThrough(m_Record, identifyRegs, nullptr, 0, small.data(), 32));
    EXPECT_EQ(0, std::memcmp(small.data(), identify.data(), 32));
    EXPECT_EQ(0xCC, small[32]);
}

TEST_F(PassThroughIdentity, OtherAtaCommandsGoStraightOut)
{
    const BYTE smartRegs[8] = {0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0, 0};
    const uint8_t parameters[4] = {1, 2, 3, 4};
    uint64_t nBefore = m_pMachine->GetTimeUs();
    EXPECT_EQ(1, AtaPassThrough(m_Record, smartRegs, parameters, 4, nullptr, 0));
    EXPECT_EQ(nBefore, m_pMachine->GetTimeUs());
    ASSERT_EQ(1, m_pMachine->GetLogCount());
    EXPECT_EQ(kEmuRequestAtaPassThrough, LastLog(m_pMachine).nKind);
    EXPECT_EQ(std::vector<uint8_t>(parameters, parameters + 4), LastDataOut(m_pMachine));

    m_pMachine->SetIoctlFails(IOCTL_IDE_PASS_THROUGH, true);
    uint8_t out[16];
    EXPECT_EQ(0, AtaPassThrough(m_Record, smartRegs, nullptr, 0, out, sizeof(out)));
    m_pMachine->SetIoctlFails(IOCTL_IDE_PASS_THROUGH, false);
    m_pMachine->SetLetterOpenFails(kLetterD, true);
    EXPECT_EQ(0, AtaPassThrough(m_Record, smartRegs, nullptr, 0, out, sizeof(out)));
    m_pMachine->SetLetterOpenFails(kLetterD, false);
    // Lengths whose buffers (length + 16) cannot be sized are refused before the device is opened.
    uint32_t nOpens = m_pMachine->GetDeviceOpenCount("\\\\.\\D:");
    EXPECT_EQ(0, AtaPassThrough(m_Record, smartRegs, parameters, 0xFFFFFFF8u, nullptr, 0));
    EXPECT_EQ(0, AtaPassThrough(m_Record, smartRegs, nullptr, 0, out, 0xFFFFFFF0u));
    EXPECT_EQ(nOpens, m_pMachine->GetDeviceOpenCount("\\\\.\\D:"));
    m_Record.m_nDriveLetter = kDriveLetterNone;
    EXPECT_EQ(0, AtaPassThrough(m_Record, smartRegs, nullptr, 0, out, sizeof(out)));
    EXPECT_EQ(0u, m_pMachine->GetDeviceOpenCount("\\\\.\\B:"));
}

TEST_F(PassThroughIdentity, SmartRequests)
{
    std::vector<uint8_t> data(512);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(255 - i);
    m_pMachine->SetBytes(m_nDrive, EMU_KEY_SMART_DATA, data.data(), 512);

    const BYTE statusRegs[8] = {0xDA, 0, 0, 0x4F, 0xC2, 0xA0, 0xB0, 0};
    const BYTE readRegs[8] = {0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0, 0};
    EXPECT_EQ(1, SmartDriveCommand(m_Record, statusRegs, nullptr, 0));
    EXPECT_EQ(kEmuRequestSmartSend, LastLog(m_pMachine).nKind);

    std::vector<uint8_t> out(600, 0xCC);
    EXPECT_EQ(1, SmartDriveCommand(m_Record, readRegs, out.data(), 600));
    EXPECT_EQ(kEmuRequestSmartReceive, LastLog(m_pMachine).nKind);
    EXPECT_EQ(0, std::memcmp(out.data(), data.data(), 512));
    EXPECT_EQ(0xCC, out[512]);

    std::vector<uint8_t> small(20, 0xCC);
    EXPECT_EQ(1, SmartDriveCommand(m_Record, readRegs, small.data(), 10));
    EXPECT_EQ(0xCC, small[10]);

    m_pMachine->SetInt(m_nDrive, EMU_KEY_SMART_ERROR, 3);
    EXPECT_EQ(0, SmartDriveCommand(m_Record, readRegs, out.data(), 512));
    EXPECT_EQ(0, m_pMachine->GetOpenHandleCount());
}

} // namespace
