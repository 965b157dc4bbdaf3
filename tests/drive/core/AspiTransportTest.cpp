// tests/drive/core/AspiTransportTest.cpp
// The ASPI back end against the test ASPI library, which Wine loads in place of its own when the program runs
// as Windows 98 with "wnaspi32=n".
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support/DriveRecords.h"
#include "support/DriveTestFixture.h"

namespace {

class AspiTransport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartAspiMachine(m_pMachine, m_Transport));
        m_nDrive = m_pMachine->AddDrive("KORVATH", "CD-R   QZ4816", "1.07");
        m_pMachine->AttachAspi(m_nDrive, 1, 3, 0);
        m_Record = MakeRecord(1, 3, 4);
    }

    ExecStatus Send(const std::vector<uint8_t>& cdbBytes, void* pBuffer, DWORD nLength)
    {
        return SendPadded(m_Transport, m_Record, cdbBytes, pBuffer, nLength);
    }

    IEmuMachine* m_pMachine = nullptr;
    int m_nDrive = 0;
    CScsiTransport m_Transport;
    CDeviceRecord m_Record;
};

TEST_F(AspiTransport, TheTestLayerIsLoaded)
{
    EXPECT_EQ(0x0102u, m_Transport.m_pfnGetASPI32SupportInfo());
    char szPath[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(m_Transport.m_hAspiDll.get(), szPath, MAX_PATH));
    DWORD nHandle = 0;
    DWORD nSize = GetFileVersionInfoSizeA(szPath, &nHandle);
    ASSERT_NE(0u, nSize);
    std::vector<char> info(nSize);
    ASSERT_TRUE(GetFileVersionInfoA(szPath, 0, nSize, info.data()));
    char* pszVersion = nullptr;
    UINT nLength = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904b0\\FileVersion",
                               reinterpret_cast<void**>(&pszVersion), &nLength));
    EXPECT_STREQ(EMU_EXPECTED_FILE_VERSION, pszVersion);
}

// Request block fields: direction bits by operation code (none without a buffer) with event notification,
// CDB length by operation code, sense length 14, and the address bytes.
TEST_F(AspiTransport, RequestShapeByOperationCode)
{
    const struct {
        uint8_t nOpcode;
        bool bBuffer;
        uint8_t nFlags;
        int nCdbLength;
    } cases[] = {
        {0x00, false, 0x40, 6}, // TEST UNIT READY: no direction bits
        {0x2A, true, 0x50, 10}, // WRITE(10): data out
        {0x28, true, 0x48, 10}, // READ(10): data in
        {0xF1, true, 0x48, 12}, // vendor code: data in
        {0xD5, true, 0x50, 12}, {0x1F, true, 0x48, 6},  {0x20, true, 0x48, 10},
        {0x5F, true, 0x48, 10}, {0x60, true, 0x48, 12}, {0xBE, true, 0x48, 12},
    };
    std::vector<uint8_t> buffer(2048);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nOpcode);
        EmuLogEntry entry;
        ASSERT_NO_FATAL_FAILURE(SendAndLogOne(m_pMachine, m_Transport, m_Record, c.nOpcode,
                                              c.bBuffer ? buffer.data() : nullptr, kEmuFrontAspi, entry));
        EXPECT_EQ(c.nFlags, entry.nAspiFlags);
        EXPECT_EQ(c.nCdbLength, entry.nCdbLength);
        for (int i = c.nCdbLength; i < 16; ++i)
            EXPECT_EQ(0, entry.cdb[i]) << i;
        EXPECT_EQ(14, entry.nSenseLength);
        EXPECT_EQ(1, entry.nAdapter);
        EXPECT_EQ(3, entry.nTarget);
        EXPECT_EQ(0, entry.nLun);
        EXPECT_EQ(m_nDrive, entry.nDrive);
    }
}

// Pending after pending-with-the-event-set: the reused event is still signalled when the next command waits.
TEST_F(AspiTransport, EveryCompletionModeDeliversTheData)
{
    for (int nMode : {kEmuAspiImmediate, kEmuAspiPending, kEmuAspiPendingSignalled, kEmuAspiPending,
                      kEmuAspiPendingSignalled, kEmuAspiImmediate, kEmuAspiPending}) {
        SCOPED_TRACE(nMode);
        m_pMachine->SetAspiCompletion(nMode);
        std::vector<uint8_t> in(4096, 0);
        EXPECT_EQ(1, Send({0x28, 0, 0, 0, 1, 5, 0, 0, 2, 0}, in.data(), 4096));
        const uint8_t first[4] = {0, 0, 1, 5};
        const uint8_t second[4] = {0, 0, 1, 6};
        EXPECT_EQ(0, std::memcmp(in.data(), first, 4));
        EXPECT_EQ(0, std::memcmp(in.data() + 2048, second, 4));
        EXPECT_EQ(4096u, LastLog(m_pMachine).nTransferred);

        std::vector<uint8_t> out(2048, 0x3C);
        EXPECT_EQ(1, Send({0x2A, 0, 0, 0, 0, 9, 0, 0, 1, 0}, out.data(), 2048));
        EXPECT_EQ(out, LastDataOut(m_pMachine));
    }
}

// A layer that writes the status before it sets the event, and answers "pending" with the status already written:
// the command is over only once the event is set, so the event never goes back to the pool, or is closed, while
// the layer still holds it.
TEST_F(AspiTransport, PendingWaitsForTheEventWhenTheStatusCameFirst)
{
    for (int nMode : {kEmuAspiStatusBeforeSignal, kEmuAspiPending, kEmuAspiStatusBeforeSignal, kEmuAspiPendingSignalled,
                      kEmuAspiStatusBeforeSignal}) {
        SCOPED_TRACE(nMode);
        m_pMachine->SetAspiCompletion(nMode);
        std::vector<uint8_t> in(2048, 0);
        EXPECT_EQ(1, Send({0x28, 0, 0, 0, 1, 5, 0, 0, 1, 0}, in.data(), 2048));
        EXPECT_EQ(0, m_pMachine->GetAspiSignalsOutstanding());
        const uint8_t first[4] = {0, 0, 1, 5};
        EXPECT_EQ(0, std::memcmp(in.data(), first, 4));
    }
    m_Transport.Close();
    EXPECT_EQ(0, m_pMachine->GetAspiSignalsOutstanding());
    EXPECT_EQ(0, m_pMachine->GetAspiSignalsFailed());
}

// The layer's own status is the ExecStatus: SS_ERR with the sense kept, SS_NO_DEVICE, SS_INVALID_HA.
TEST_F(AspiTransport, LayerStatusPassesThroughAndSenseIsKept)
{
    for (int nMode : {kEmuAspiImmediate, kEmuAspiPending}) {
        SCOPED_TRACE(nMode);
        m_pMachine->SetAspiCompletion(nMode);
        m_pMachine->QueueSense(m_nDrive, 0x00, 0x02, 0x3A, 0x01, 1);
        m_Record.m_Sense[14] = 0xAB;
        EXPECT_EQ(4, Send({0x00}, nullptr, 0));
        EXPECT_EQ(0x23A01, GetSenseCode(m_Record));
        EXPECT_EQ(0xAB, m_Record.m_Sense[14]);
        EXPECT_EQ(1, Send({0x00}, nullptr, 0));
        EXPECT_EQ(0, GetSenseCode(m_Record));

        m_Record.m_nTarget = 5;
        EXPECT_EQ(0x82, Send({0x00}, nullptr, 0));
        uint8_t reply[56];
        EXPECT_EQ(0x82, m_Transport.InquiryRaw(m_Record, reply));
        char szVendor[9], szProduct[17], szRevision[5];
        EXPECT_EQ(0, m_Transport.Inquiry(m_Record, szVendor, szProduct, szRevision));
        m_Record.m_nTarget = 3;
        m_Record.m_nAdapter = 6;
        EXPECT_EQ(0x81, Send({0x00}, nullptr, 0));
        m_Record.m_nAdapter = 1;
    }
}

TEST_F(AspiTransport, InquiryTakesThePeripheralByteSigned)
{
    char szVendor[9], szProduct[17], szRevision[5];
    EXPECT_EQ(0x501, m_Transport.Inquiry(m_Record, szVendor, szProduct, szRevision));
    EXPECT_STREQ("KORVATH ", szVendor);
    EXPECT_STREQ("CD-R   QZ4816   ", szProduct);
    EXPECT_STREQ("1.07", szRevision);

    m_pMachine->SetInt(m_nDrive, EMU_KEY_PERIPHERAL, 0x85);
    int nResult = m_Transport.Inquiry(m_Record, szVendor, szProduct, szRevision);
    EXPECT_EQ(1 + 256 * -123, nResult);
    EXPECT_EQ(0x8501, nResult & 0xFFFF);
}

TEST_F(AspiTransport, RefusedRecordsNeverReachTheLayer)
{
    m_Record.m_nDriveLetter = kDriveLetterRefused;
    m_Record.m_Sense[2] = 0x77;
    EXPECT_EQ(0, Send({0x00}, nullptr, 0));
    EXPECT_EQ(0x77, m_Record.m_Sense[2]);
    // Letter index -1 concerns only the pass-through back end.
    m_Record.m_nDriveLetter = kDriveLetterInvalid;
    EXPECT_EQ(1, Send({0x00}, nullptr, 0));
    EXPECT_EQ(1, m_pMachine->GetLogCount());

    m_Transport.Close();
    EXPECT_FALSE(m_Transport.m_hAspiDll.IsCreated());
    EXPECT_EQ(0, Send({0x00}, nullptr, 0));
    EXPECT_EQ(1, m_pMachine->GetLogCount());
}

TEST_F(AspiTransport, TwoThreadsKeepTheirOwnSense)
{
    int nOther = m_pMachine->AddDrive("OTHER", "DVD    QZ1600", "1.00");
    m_pMachine->AttachAspi(nOther, 0, 1, 0);
    m_pMachine->SetAspiCompletion(kEmuAspiPending);
    m_pMachine->QueueSense(m_nDrive, 0x00, 0x03, 0x11, 0x05, 100000);
    m_pMachine->QueueSense(nOther, 0x00, 0x06, 0x29, 0x00, 100000);
    EXPECT_EQ(0, CountCrossedSense(m_Transport, m_Record, 0x31105, MakeRecord(0, 1, 5), 0x62900, SS_ERR, 150));
}

} // namespace
