// tests/drive/core/InquiryAtaTest.cpp
// The INQUIRY forms under pass-through and the ATA/SMART requests, against the emulated machine.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support/DriveTestSupport.h"
#include "drive/AtaPassThrough.h"

namespace {

const int kLetterD = 3;

class PassThroughIdentity : public ::testing::Test {
protected:
    void SetUp() override
    {
        machine = EmuStartMachine();
        EmuInstallClock(machine);
        nDrive = machine->AddDrive("KOR\x7FVA\xA9H",
                                   "DVDR   QZ\x01"
                                   "6820A",
                                   "1.05");
        machine->SetLetter(kLetterD, DRIVE_CDROM, nDrive);
        transport.m_nAccessMode = kAccessModeSpti;
        record = MakeRecord(0, 1, kLetterD, 0, 0);
    }
    void TearDown() override
    {
        EmuRemoveClock();
        EmuRemoveDeviceIo();
    }

    int Identify()
    {
        std::memset(szVendor, '?', sizeof(szVendor));
        std::memset(szProduct, '?', sizeof(szProduct));
        std::memset(szRevision, '?', sizeof(szRevision));
        return transport.Inquiry(record, szVendor, szProduct, szRevision);
    }
    int ScsiCommandsLogged()
    {
        int n = 0;
        for (int i = 0; i < machine->GetLogCount(); ++i)
            n += LogAt(machine, i).nKind == kEmuRequestScsi;
        return n;
    }

    IEmuMachine* machine = nullptr;
    int nDrive = 0;
    CScsiTransport transport;
    CDeviceRecord record;
    char szVendor[9], szProduct[17], szRevision[5];
};

// Port data: no command is sent; characters outside 0x20-0x7E in vendor and product become blanks.
TEST_F(PassThroughIdentity, PortDataDescribesTheDevice)
{
    machine->AddPort(0);
    machine->AddPort(1);
    machine->AttachPort(nDrive, 1, 0, 1, 0);
    AddAdapter(transport, kBusTypeIdeChannel, 1, {record});
    EXPECT_EQ(0x501, Identify());
    EXPECT_STREQ("KOR VA H", szVendor);
    EXPECT_STREQ("DVDR   QZ 6820A ", szProduct);
    EXPECT_STREQ("1.05", szRevision);
    EXPECT_EQ(0, ScsiCommandsLogged());
    EXPECT_EQ(0, machine->GetOpenHandleCount());
}

TEST_F(PassThroughIdentity, PortScanStopsAtTheFirstGap)
{
    machine->AddPort(0);
    machine->AddPort(2);
    machine->AttachPort(nDrive, 2, 0, 1, 0);
    AddAdapter(transport, kBusTypeIdeChannel, 2, {record});
    EXPECT_EQ(0, Identify());
    EXPECT_EQ(0u, machine->GetDeviceOpenCount("\\\\.\\SCSI2:"));
    EXPECT_EQ('?', szVendor[0]);
}

TEST_F(PassThroughIdentity, BrokenPortDataIsWalkedSafely)
{
    machine->AddPort(0);
    // One bus whose chain points at itself; the entry matches path 0, target 1, LUN 0.
    std::vector<uint8_t> data(64, 0);
    data[0] = 1;
    data[8] = 12;
    data[12] = 0;
    data[13] = 1;
    data[14] = 0;
    data[16] = 200; // INQUIRY length far beyond the data
    data[20] = 12;  // next entry: itself
    data[24] = 5;
    std::memcpy(&data[24 + 8], "CYCLIC  ", 8);
    machine->SetPortInquiryData(0, data.data(), uint32_t(data.size()));
    AddAdapter(transport, kBusTypeScsi, 0, {record});
    EXPECT_EQ(0x501, Identify());
    EXPECT_STREQ("CYCLIC  ", szVendor);
    EXPECT_STREQ("", szProduct);
}

// USB, IEEE 1394 and letter-only adapters answer through the letter, with the strings unchanged.
TEST_F(PassThroughIdentity, LetterBusesAskThroughTheLetter)
{
    for (int nBus : {kBusTypeUsb, kBusType1394, kBusTypeLetterOnly}) {
        SCOPED_TRACE(nBus);
        transport.m_Adapters.RemoveAll();
        AddAdapter(transport, nBus, -1, {record});
        machine->ClearLog();
        EXPECT_EQ(0x501, Identify());
        EXPECT_STREQ("KOR\x7FVA\xA9H", szVendor);
        EXPECT_STREQ("DVDR   QZ\x01"
                     "6820A ",
                     szProduct);
        ASSERT_EQ(1, machine->GetLogCount());
        EmuLogEntry entry = LastLog(machine);
        const uint8_t inquiry[6] = {0x12, 0, 0, 0, 0x38, 0};
        EXPECT_EQ(0, std::memcmp(entry.cdb, inquiry, 6));
        EXPECT_EQ(56u, entry.nTransferLength);
    }
}

TEST_F(PassThroughIdentity, LetterFlagSendsThePortDeviceThroughTheLetter)
{
    AddAdapter(transport, kBusTypeIdeChannel, 0, {record});
    transport.m_bInquireViaLetter[kLetterD] = 1;
    EXPECT_EQ(0x501, Identify());
    EXPECT_EQ(1, ScsiCommandsLogged());
}

TEST_F(PassThroughIdentity, PeripheralByteIsUnsignedThroughTheLetter)
{
    machine->SetInt(nDrive, EMU_KEY_PERIPHERAL, 0x85);
    AddAdapter(transport, kBusTypeUsb, -1, {record});
    EXPECT_EQ(1 + 256 * 0x85, Identify());
}

TEST_F(PassThroughIdentity, RefusalsGiveZeroOrMinusOne)
{
    AddAdapter(transport, kBusTypeUsb, -1, {record});
    record.m_nAdapter = 5; // a copy kept across a rescan
    EXPECT_EQ(0, Identify());
    record.m_nAdapter = 0;
    record.m_nTarget = -1;
    EXPECT_EQ(0, Identify());
    record.m_nTarget = 1;
    record.m_nDriveLetter = kDriveLetterInvalid;
    EXPECT_EQ(-1, Identify());
    EXPECT_EQ(-1, transport.InquiryViaLetter(record, szVendor, szProduct, szRevision));
    record.m_nDriveLetter = kLetterD;
    transport.m_nAccessMode = kAccessModeNone;
    EXPECT_EQ(0, Identify());
    EXPECT_EQ(0, machine->GetLogCount());
    // The letter form works without a back end.
    EXPECT_EQ(0x501, transport.InquiryViaLetter(record, szVendor, szProduct, szRevision));
}

TEST_F(PassThroughIdentity, RawInquiryReturnsTheStatus)
{
    AddAdapter(transport, kBusTypeUsb, -1, {record});
    uint8_t reply[56] = {};
    EXPECT_EQ(1, transport.InquiryRaw(record, reply));
    EXPECT_EQ(0, std::memcmp(reply + 32, "1.05", 4));
    machine->QueueSense(nDrive, 0x12, 0x06, 0x29, 0x00, 1);
    EXPECT_EQ(0, transport.InquiryRaw(record, reply));
    EXPECT_EQ(0x62900, GetSenseCode(record));
}

TEST_F(PassThroughIdentity, IdentifyDeviceRescansAndWaits)
{
    std::vector<uint8_t> identify(512);
    for (size_t i = 0; i < identify.size(); ++i)
        identify[i] = uint8_t(i);
    machine->SetBytes(nDrive, EMU_KEY_ATA_IDENTIFY, identify.data(), 512);

    const BYTE identifyRegs[8] = {0, 1, 1, 0, 0, 0xA0, 0xEC, 0};
    std::vector<uint8_t> out(600, 0xCC);
    uint64_t nBefore = machine->GetTimeUs();
    EXPECT_EQ(1, AtaPassThrough(record, identifyRegs, nullptr, 0, out.data(), 512));
    EXPECT_GE(machine->GetTimeUs() - nBefore, 500000u);
    ASSERT_EQ(2, machine->GetLogCount());
    EXPECT_EQ(kEmuRequestRescanBus, LogAt(machine, 0).nKind);
    EmuLogEntry ata = LogAt(machine, 1);
    EXPECT_EQ(kEmuRequestAtaPassThrough, ata.nKind);
    EXPECT_EQ(0, std::memcmp(ata.ataRegisters, identifyRegs, 8));
    EXPECT_EQ(0, std::memcmp(out.data(), identify.data(), 512));
    EXPECT_EQ(0xCC, out[512]);

    // A shorter caller buffer gets only its length.
    std::vector<uint8_t> small(40, 0xCC);
    EXPECT_EQ(1, AtaPassThrough(record, identifyRegs, nullptr, 0, small.data(), 32));
    EXPECT_EQ(0, std::memcmp(small.data(), identify.data(), 32));
    EXPECT_EQ(0xCC, small[32]);
}

TEST_F(PassThroughIdentity, OtherAtaCommandsGoStraightOut)
{
    const BYTE smartRegs[8] = {0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0, 0};
    const uint8_t parameters[4] = {1, 2, 3, 4};
    uint64_t nBefore = machine->GetTimeUs();
    EXPECT_EQ(1, AtaPassThrough(record, smartRegs, parameters, 4, nullptr, 0));
    EXPECT_EQ(nBefore, machine->GetTimeUs());
    ASSERT_EQ(1, machine->GetLogCount());
    EXPECT_EQ(kEmuRequestAtaPassThrough, LastLog(machine).nKind);
    EXPECT_EQ(std::vector<uint8_t>(parameters, parameters + 4), LastDataOut(machine));

    machine->SetIoctlFails(IOCTL_IDE_PASS_THROUGH, true);
    uint8_t out[16];
    EXPECT_EQ(0, AtaPassThrough(record, smartRegs, nullptr, 0, out, sizeof(out)));
    machine->SetIoctlFails(IOCTL_IDE_PASS_THROUGH, false);
    machine->SetLetterOpenFails(kLetterD, true);
    EXPECT_EQ(0, AtaPassThrough(record, smartRegs, nullptr, 0, out, sizeof(out)));
    machine->SetLetterOpenFails(kLetterD, false);
    // Lengths whose buffers (length + 16) cannot be sized are refused before the device is opened.
    uint32_t nOpens = machine->GetDeviceOpenCount("\\\\.\\D:");
    EXPECT_EQ(0, AtaPassThrough(record, smartRegs, parameters, 0xFFFFFFF8u, nullptr, 0));
    EXPECT_EQ(0, AtaPassThrough(record, smartRegs, nullptr, 0, out, 0xFFFFFFF0u));
    EXPECT_EQ(nOpens, machine->GetDeviceOpenCount("\\\\.\\D:"));
    record.m_nDriveLetter = kDriveLetterNone;
    EXPECT_EQ(0, AtaPassThrough(record, smartRegs, nullptr, 0, out, sizeof(out)));
    EXPECT_EQ(0u, machine->GetDeviceOpenCount("\\\\.\\B:"));
}

TEST_F(PassThroughIdentity, SmartRequests)
{
    std::vector<uint8_t> data(512);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(255 - i);
    machine->SetBytes(nDrive, EMU_KEY_SMART_DATA, data.data(), 512);

    const BYTE statusRegs[8] = {0xDA, 0, 0, 0x4F, 0xC2, 0xA0, 0xB0, 0};
    const BYTE readRegs[8] = {0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0, 0};
    EXPECT_EQ(1, SmartDriveCommand(record, statusRegs, nullptr, 0));
    EXPECT_EQ(kEmuRequestSmartSend, LastLog(machine).nKind);

    std::vector<uint8_t> out(600, 0xCC);
    EXPECT_EQ(1, SmartDriveCommand(record, readRegs, out.data(), 600));
    EXPECT_EQ(kEmuRequestSmartReceive, LastLog(machine).nKind);
    EXPECT_EQ(0, std::memcmp(out.data(), data.data(), 512));
    EXPECT_EQ(0xCC, out[512]);

    std::vector<uint8_t> small(20, 0xCC);
    EXPECT_EQ(1, SmartDriveCommand(record, readRegs, small.data(), 10));
    EXPECT_EQ(0xCC, small[10]);

    machine->SetInt(nDrive, EMU_KEY_SMART_ERROR, 3);
    EXPECT_EQ(0, SmartDriveCommand(record, readRegs, out.data(), 512));
    EXPECT_EQ(0, machine->GetOpenHandleCount());
}

} // namespace
