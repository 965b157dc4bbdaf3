// tests/transfer/EmuLogKeepTest.cpp
// The command log of the emulated machine under a limit on the data-out bytes it keeps: shorter data-out is kept
// whole, longer data-out only as its digest, which matches the digest of the bytes sent either way.
#include <gtest/gtest.h>

#include <vector>

#include "EmuLetterCommand.h" // first: it includes windows.h before the machine interface

namespace {

class EmuLogKeep : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pMachine = EmuGetMachine();
        m_pMachine->Reset();
        m_nDrive = m_pMachine->AddDrive("KORVATH", "KVR-W1600", "1.00");
    }
    void TearDown() override { m_pMachine->Reset(); }

    // A WRITE(10) of the bytes at sector 0 through the letter front end.
    void Write(std::vector<uint8_t> data)
    {
        uint8_t cdb[10] = {0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0};
        EmuLetterCommand(m_nDrive, cdb, 10, kEmuDirOut, data.data(), uint32_t(data.size()));
    }

    IEmuMachine* m_pMachine = nullptr;
    int m_nDrive = -1;
};

TEST_F(EmuLogKeep, WithoutALimitEveryByteIsKept)
{
    std::vector<uint8_t> data(2048);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 7);
    Write(data);
    ASSERT_EQ(1, m_pMachine->GetLogCount());
    std::vector<uint8_t> kept(4096, 0xEE);
    ASSERT_EQ(2048u, m_pMachine->GetLogDataOut(0, kept.data(), uint32_t(kept.size())));
    kept.resize(2048);
    EXPECT_EQ(data, kept);
    EXPECT_EQ(EmuDigest(data.data(), data.size()), m_pMachine->GetLogDataOutDigest(0));
}

TEST_F(EmuLogKeep, LongerDataOutIsKeptAsItsDigestOnly)
{
    m_pMachine->SetInt(m_nDrive, EMU_KEY_LOG_KEEP, 2048);
    const std::vector<uint8_t> shortData(2048, 0x11);
    std::vector<uint8_t> longData(2049, 0x11);
    longData[2048] = 0x22;
    Write(shortData);
    Write(longData);
    ASSERT_EQ(2, m_pMachine->GetLogCount());
    EXPECT_EQ(2048u, m_pMachine->GetLogDataOut(0, nullptr, 0));
    EXPECT_EQ(0u, m_pMachine->GetLogDataOut(1, nullptr, 0)) << "the bytes are not kept";
    EmuLogEntry entry;
    ASSERT_TRUE(m_pMachine->GetLogEntry(1, &entry));
    EXPECT_EQ(2049u, entry.nDataOutLength) << "the entry still says what was sent";
    EXPECT_EQ(EmuDigest(shortData.data(), shortData.size()), m_pMachine->GetLogDataOutDigest(0));
    EXPECT_EQ(EmuDigest(longData.data(), longData.size()), m_pMachine->GetLogDataOutDigest(1));
    EXPECT_NE(m_pMachine->GetLogDataOutDigest(0), m_pMachine->GetLogDataOutDigest(1));
    EXPECT_EQ(0u, m_pMachine->GetLogDataOutDigest(2)) << "no such entry";
    // Cleared with the log.
    m_pMachine->ClearLog();
    Write(longData);
    EXPECT_EQ(EmuDigest(longData.data(), longData.size()), m_pMachine->GetLogDataOutDigest(0));
}

} // namespace
