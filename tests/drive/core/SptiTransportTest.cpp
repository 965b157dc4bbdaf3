// tests/drive/core/SptiTransportTest.cpp
// The pass-through back end against the emulated drive behind the device-I/O seam.
#include <gtest/gtest.h>

#include <windows.h>
#include <ntddscsi.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "support/DriveRecords.h"
#include "support/DriveTestFixture.h"

namespace {

const int kLetterD = 3;
const int kLetterE = 4;

class SptiTransport : public EmulatedMachineTest {
protected:
    void SetUp() override
    {
        EmulatedMachineTest::SetUp();
        m_nDrive = m_pMachine->AddDrive("KORVATH", "DVDR   QZ6820A", "1.05");
        m_pMachine->SetLetter(kLetterD, DRIVE_CDROM, m_nDrive);
        m_Transport.m_nAccessMode = kAccessModeSpti;
        m_Record = MakeRecord(0, 1, kLetterD);
        AddAdapter(m_Transport, kBusTypeIdeChannel, 0, {m_Record});
    }

    ExecStatus Send(const std::vector<uint8_t>& cdbBytes, void* pBuffer, DWORD nLength)
    {
        return SendPadded(m_Transport, m_Record, cdbBytes, pBuffer, nLength);
    }
    void PresetSense()
    {
        for (int i = 0; i < 16; ++i)
            m_Record.m_Sense[i] = uint8_t(0xC0 + i);
    }
    void ExpectSensePreset()
    {
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(0xC0 + i, m_Record.m_Sense[i]) << i;
    }
    void ExpectSenseZeroed()
    {
        for (int i = 0; i < 14; ++i)
            EXPECT_EQ(0, m_Record.m_Sense[i]) << i;
        EXPECT_EQ(0xCE, m_Record.m_Sense[14]);
        EXPECT_EQ(0xCF, m_Record.m_Sense[15]);
    }

    int m_nDrive = 0;
    CScsiTransport m_Transport;
    CDeviceRecord m_Record;
};

// Direction, CDB length and time-out as the request carried them; bytes beyond the CDB length are not sent.
TEST_F(SptiTransport, RequestShapeByOperationCode)
{
    const struct {
        uint8_t nOpcode;
        bool bBuffer;
        int nDirection, nCdbLength;
        uint32_t nTimeout;
    } cases[] = {
        {0x00, false, kEmuDirNone, 6, 4800}, // TEST UNIT READY
        {0x2A, true, kEmuDirOut, 10, 4800},  // WRITE(10)
        {0x28, true, kEmuDirIn, 10, 4800},   // READ(10)
        {0xF1, true, kEmuDirIn, 12, 4800},   // vendor code, not in the data-out list
        {0xD8, true, kEmuDirIn, 12, 4800},   {0xD5, true, kEmuDirOut, 12, 4800}, {0x1F, true, kEmuDirIn, 6, 4800},
        {0x20, true, kEmuDirIn, 10, 4800},   {0x5F, true, kEmuDirIn, 10, 4800},  {0x60, true, kEmuDirIn, 12, 4800},
        {0xBE, true, kEmuDirIn, 12, 4800},   {0x5C, true, kEmuDirIn, 10, 30}, // READ BUFFER CAPACITY
    };
    std::vector<uint8_t> buffer(2048, 0x5A);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nOpcode);
        EmuLogEntry entry;
        ASSERT_NO_FATAL_FAILURE(SendAndLogOne(m_pMachine, m_Transport, m_Record, c.nOpcode,
                                              c.bBuffer ? buffer.data() : nullptr, kEmuFrontLetter, entry));
        EXPECT_EQ(kLetterD, entry.nLetter);
        EXPECT_EQ(c.nDirection, entry.nDirection);
        EXPECT_EQ(c.nCdbLength, entry.nCdbLength);
        EXPECT_EQ(c.nOpcode, entry.cdb[0]);
        EXPECT_EQ(1, entry.cdb[5]);
        for (int i = c.nCdbLength; i < 16; ++i)
            EXPECT_EQ(0, entry.cdb[i]) << i;
        EXPECT_EQ(c.nTimeout, entry.nTimeoutSeconds);
        EXPECT_EQ(32, entry.nSenseLength);
        EXPECT_EQ(c.bBuffer ? 2048u : 0u, entry.nTransferLength);
        EXPECT_EQ(1, entry.nTarget);
    }
}

TEST_F(SptiTransport, DataTravelsBothWays)
{
    std::vector<uint8_t> out(4096);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = uint8_t(i * 7);
    EXPECT_EQ(1, Send({0x2A, 0, 0, 0, 0, 100, 0, 0, 2, 0}, out.data(), DWORD(out.size())));
    EXPECT_EQ(out, LastDataOut(m_pMachine));

    std::vector<uint8_t> in(2048, 0);
    EXPECT_EQ(1, Send({0x28, 0, 0, 0, 0, 16, 0, 0, 1, 0}, in.data(), DWORD(in.size())));
    const uint8_t lba16[4] = {0, 0, 0, 16};
    EXPECT_EQ(0, std::memcmp(in.data(), lba16, 4));
    EXPECT_EQ(2048u, LastLog(m_pMachine).nTransferred);
}

// The emulator answers like a real drive: no more than the allocation length, and the length field reports what
// the drive holds.
TEST_F(SptiTransport, EmulatorAnswersWithinTheAllocation)
{
    std::vector<uint8_t> in(64, 0xCC);
    EXPECT_EQ(1, Send({0x12, 0, 0, 0, 56, 0}, in.data(), 64));
    EXPECT_EQ(56u, LastLog(m_pMachine).nTransferred);
    EXPECT_EQ(91, in[4]);
    EXPECT_EQ(0, std::memcmp(in.data() + 8, "KORVATH DVDR   QZ6820A  1.05", 28));
    for (int i = 56; i < 64; ++i)
        EXPECT_EQ(0xCC, in[i]) << i;
}

TEST_F(SptiTransport, CheckConditionLeavesTheDriveSenseInTheRecord)
{
    m_pMachine->QueueSense(m_nDrive, 0x00, 0x02, 0x3A, 0x00, 1);
    PresetSense();
    EXPECT_EQ(0, Send({0x00}, nullptr, 0));
    EXPECT_EQ(kEmuStatusCheckCondition, LastLog(m_pMachine).nScsiStatus);
    EXPECT_EQ(0x70, m_Record.m_Sense[0]);
    EXPECT_EQ(0x23A00, GetSenseCode(m_Record));
    EXPECT_STREQ("No disc in drive (code 023A00)", m_Transport.FormatSenseMessage(m_Record));
    EXPECT_EQ(0xCE, m_Record.m_Sense[14]);

    const uint8_t incorrectLength[18] = {0x70, 0, 0x22, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x3A, 0x00};
    m_pMachine->QueueSenseBytes(m_nDrive, -1, incorrectLength, sizeof(incorrectLength), 1);
    EXPECT_EQ(0, Send({0x00}, nullptr, 0));
    EXPECT_EQ(0x223A00, GetSenseCode(m_Record));
    EXPECT_STREQ("Unspecified error (code 223A00)", m_Transport.FormatSenseMessage(m_Record));

    EXPECT_EQ(1, Send({0x00}, nullptr, 0));
    ExpectSenseZeroed();
}

// Records and states that never reach a device.
TEST_F(SptiTransport, RefusedRecordsAndStates)
{
    PresetSense();
    m_Record.m_nDriveLetter = kDriveLetterRefused;
    EXPECT_EQ(0, Send({0x00}, nullptr, 0));
    ExpectSensePreset();

    m_Record.m_nDriveLetter = kDriveLetterInvalid;
    EXPECT_EQ(-1, Send({0x00}, nullptr, 0));
    ExpectSensePreset();

    m_Record.m_nDriveLetter = kLetterD;
    m_Record.m_nTarget = -1;
    EXPECT_EQ(0, Send({0x00}, nullptr, 0));
    m_Record.m_nTarget = 1;
    m_Record.m_nAdapter = -2;
    EXPECT_EQ(0, Send({0x00}, nullptr, 0));
    ExpectSensePreset();
    m_Record.m_nAdapter = 0;

    m_Transport.m_nAccessMode = kAccessModeNone;
    EXPECT_EQ(0, Send({0x00}, nullptr, 0));
    ExpectSensePreset();
    EXPECT_EQ(0, m_pMachine->GetLogCount());
    EXPECT_EQ(0u, m_pMachine->GetDeviceOpenCount("\\\\.\\D:"));
}

// Indexes outside C: to Z: never open "\\.\A:", "\\.\B:" or reach past the 26-entry tables.
TEST_F(SptiTransport, LetterIndexesOutsideTheSlotsAreRefused)
{
    m_pMachine->SetLetter(0, DRIVE_REMOVABLE, m_nDrive);
    m_pMachine->SetLetter(1, DRIVE_REMOVABLE, m_nDrive);
    for (int nLetter : {0, 1, 26, 255, 257, 100000}) {
        SCOPED_TRACE(nLetter);
        m_Record.m_nDriveLetter = nLetter;
        PresetSense();
        EXPECT_EQ(0, Send({0x00}, nullptr, 0));
        ExpectSenseZeroed();
        m_Transport.OpenDriveHandle(m_Record);
        m_Transport.CloseDriveHandle(m_Record);
    }
    EXPECT_EQ(0, m_pMachine->GetLogCount());
    EXPECT_EQ(0u, m_pMachine->GetDeviceOpenCount("\\\\.\\A:"));
    EXPECT_EQ(0u, m_pMachine->GetDeviceOpenCount("\\\\.\\B:"));
}

TEST_F(SptiTransport, FailedOpenOrControlCallClearsTheSense)
{
    m_pMachine->SetLetterOpenFails(kLetterD, true);
    PresetSense();
    EXPECT_EQ(0, Send({0x00}, nullptr, 0));
    ExpectSenseZeroed();
    EXPECT_EQ(1u, m_pMachine->GetDeviceOpenCount("\\\\.\\D:"));
    EXPECT_EQ(0, m_pMachine->GetLogCount());

    m_pMachine->SetLetterOpenFails(kLetterD, false);
    m_pMachine->SetIoctlFails(IOCTL_SCSI_PASS_THROUGH_DIRECT, true);
    PresetSense();
    EXPECT_EQ(0, Send({0x00}, nullptr, 0));
    ExpectSenseZeroed();
    EXPECT_EQ(0, m_pMachine->GetOpenHandleCount());
}

TEST_F(SptiTransport, CachedLetterHandle)
{
    m_Transport.OpenDriveHandle(m_Record);
    EXPECT_TRUE(m_Transport.m_Letters[kLetterD].IsOpen());
    EXPECT_EQ(1, m_pMachine->GetOpenHandleCount());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(1, Send({0x00}, nullptr, 0));
    EXPECT_EQ(1u, m_pMachine->GetDeviceOpenCount("\\\\.\\D:"));

    m_Transport.OpenDriveHandle(m_Record); // replaces, does not leak
    EXPECT_EQ(1, m_pMachine->GetOpenHandleCount());

    m_Transport.CloseDriveHandle(m_Record);
    EXPECT_FALSE(m_Transport.m_Letters[kLetterD].IsOpen());
    EXPECT_EQ(0, m_pMachine->GetOpenHandleCount());
    EXPECT_EQ(1, Send({0x00}, nullptr, 0));
    EXPECT_EQ(3u, m_pMachine->GetDeviceOpenCount("\\\\.\\D:"));
    EXPECT_EQ(0, m_pMachine->GetOpenHandleCount());

    // Close() of the transport leaves cached handles alone.
    m_Transport.OpenDriveHandle(m_Record);
    m_Transport.Close();
    EXPECT_TRUE(m_Transport.m_Letters[kLetterD].IsOpen());
    EXPECT_EQ(1, m_pMachine->GetOpenHandleCount());
    m_Transport.CloseDriveHandle(m_Record);
}

TEST_F(SptiTransport, CachedHandleOfDriveCIsClosedToo)
{
    m_pMachine->SetLetter(2, DRIVE_CDROM, m_nDrive);
    m_Record.m_nDriveLetter = 2;
    m_Transport.OpenDriveHandle(m_Record);
    EXPECT_EQ(1, m_pMachine->GetOpenHandleCount());
    m_Transport.CloseDriveHandle(m_Record);
    EXPECT_FALSE(m_Transport.m_Letters[2].IsOpen());
    EXPECT_EQ(0, m_pMachine->GetOpenHandleCount());
}

TEST_F(SptiTransport, FailedOpenOfTheCachedHandleFallsBackToPerCommandOpens)
{
    m_pMachine->SetLetterOpenFails(kLetterD, true);
    m_Transport.OpenDriveHandle(m_Record);
    EXPECT_FALSE(m_Transport.m_Letters[kLetterD].IsOpen());
    EXPECT_EQ(nullptr, m_Transport.m_Letters[kLetterD].m_Device.get());
    m_pMachine->SetLetterOpenFails(kLetterD, false);
    EXPECT_EQ(1, Send({0x00}, nullptr, 0));
    EXPECT_EQ(0, m_pMachine->GetOpenHandleCount());
}

// Each command keeps its request on its own stack and its sense in its own record.
TEST_F(SptiTransport, TwoThreadsKeepTheirOwnSense)
{
    int nOther = m_pMachine->AddDrive("OTHER", "CD-R   QZ4816", "2.00");
    m_pMachine->SetLetter(kLetterE, DRIVE_CDROM, nOther);
    m_pMachine->QueueSense(m_nDrive, 0x00, 0x02, 0x3A, 0x00, 100000);
    m_pMachine->QueueSense(nOther, 0x00, 0x05, 0x24, 0x00, 100000);
    CDeviceRecord other = MakeRecord(0, 2, kLetterE);
    m_Transport.OpenDriveHandle(other);

    EXPECT_EQ(0, CountCrossedSense(m_Transport, m_Record, 0x23A00, other, 0x52400, kExecFailed, 300));
    m_Transport.CloseDriveHandle(other);
}

// A command never runs on a cached handle that another thread is closing or replacing.
TEST_F(SptiTransport, CachedHandleIsGuardedAcrossThreads)
{
    std::atomic<bool> bStop(false);
    std::atomic<int> nFailed(0);
    std::thread commands([&] {
        CDeviceRecord target = m_Record;
        const uint8_t cdb[6] = {0x00};
        for (int i = 0; i < 20000; ++i) {
            if (m_Transport.ExecScsiCommand(target, cdb, nullptr, 0) != 1)
                ++nFailed;
        }
        bStop = true;
    });
    while (!bStop) {
        m_Transport.OpenDriveHandle(m_Record);
        m_Transport.CloseDriveHandle(m_Record);
    }
    commands.join();
    EXPECT_EQ(0, nFailed.load());
    EXPECT_EQ(0, m_pMachine->GetOpenHandleCount());
}

TEST_F(SptiTransport, AdapterListAccessors)
{
    CDeviceRecord second = MakeRecord(0, 2, kLetterE);
    m_Transport.m_Adapters[0].m_Targets[0].Add(second);
    AddAdapter(m_Transport, kBusTypeNotSet, 1, {MakeRecord(1, 0, 5)});

    CHostAdapterArray copy;
    EXPECT_FALSE(m_Transport.CopyHostAdapters(copy));
    EXPECT_FALSE(m_Transport.CopyHostAdapters(*m_Transport.GetHostAdapters()));
    ASSERT_EQ(2, copy.GetSize());

    m_Transport.SetAdapterBusType(0, kBusTypeUsb);
    EXPECT_EQ(kBusTypeUsb, m_Transport.m_Adapters[0].m_nBusType);
    EXPECT_EQ(kBusTypeUsb, m_Transport.m_Adapters[0].m_Targets[0][1].m_nBusType);
    EXPECT_EQ(kBusTypeIdeChannel, copy[0].m_Targets[0][1].m_nBusType);
    EXPECT_TRUE(m_Transport.HasUsbOr1394Adapter());

    CDeviceRecord changed = second;
    changed.m_nDeviceType = 0;
    m_Transport.SetDeviceRecord(changed, 0, 1);
    EXPECT_EQ(0, m_Transport.m_Adapters[0].m_Targets[0][1].m_nDeviceType);
    EXPECT_THROW(m_Transport.SetDeviceRecord(changed, 0, 2), CInvalidArgException);
    EXPECT_THROW(m_Transport.SetDeviceRecord(changed, 1, 0), CInvalidArgException);
    changed.m_nAdapter = 2;
    EXPECT_THROW(m_Transport.SetDeviceRecord(changed, 0, 0), CInvalidArgException);
    EXPECT_THROW(m_Transport.SetAdapterBusType(2, kBusTypeScsi), CInvalidArgException);
    EXPECT_THROW(m_Transport.SetAdapterBusType(-1, kBusTypeScsi), CInvalidArgException);

    m_Transport.Close();
    EXPECT_EQ(0, m_Transport.GetHostAdapters()->GetSize());
    EXPECT_EQ(kAccessModeNone, m_Transport.GetAccessMode());
    EXPECT_FALSE(m_Transport.HasUsbOr1394Adapter());
    EXPECT_EQ(2, copy.GetSize());
}

TEST_F(SptiTransport, NamesAndLetterWords)
{
    EXPECT_STREQ("wnaspi32.dll", m_Transport.GetAspiDllName());
    std::string strLong(400, 'x');
    m_Transport.SetAspiDllName(strLong.c_str());
    EXPECT_EQ(259u, std::strlen(m_Transport.GetAspiDllName()));

    EXPECT_EQ(0u, m_Transport.GetLetterValue(m_Record));
    EXPECT_EQ(77u, m_Transport.SetLetterValue(m_Record, 77));
    EXPECT_EQ(77u, m_Transport.GetLetterValue(m_Record));
    m_Record.m_nDriveLetter = 26;
    EXPECT_EQ(DWORD(-1), m_Transport.SetLetterValue(m_Record, 5));
    EXPECT_EQ(DWORD(-1), m_Transport.GetLetterValue(m_Record));
    EXPECT_EQ(DWORD(-1), m_Transport.GetLetterValueDefault(3));
}

// The real kernel32 path under Wine: no drive, no crash.
TEST(SptiKernel32, NoDriveNoCrash)
{
    EmuRemoveDeviceIo();
    CScsiTransport transport;
    transport.m_nAccessMode = kAccessModeSpti;
    CDeviceRecord record = MakeRecord(0, 0, 'Q' - 'A');
    record.m_Sense[0] = 0x70;
    const uint8_t cdb[6] = {0x00};
    EXPECT_EQ(0, transport.ExecScsiCommand(record, cdb, nullptr, 0));
    EXPECT_EQ(0, record.m_Sense[0]);
    transport.OpenDriveHandle(record);
    EXPECT_FALSE(transport.m_Letters['Q' - 'A'].IsOpen());
}

} // namespace
