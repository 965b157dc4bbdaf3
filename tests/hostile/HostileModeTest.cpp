// tests/hostile/HostileModeTest.cpp
// The hostile drive's contract, through the pass-through back end: a seed replays the same changes, a share of
// 0 leaves every answer true, a cut answer leaves the rest of the host's buffer as it was, and a command that
// never completes fails the control call after the command's time limit has passed on the virtual clock.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Emu.h"
#include "EmuHostile.h"
#include "drive/CommandTables.h"
#include "drive/DriveManager.h"
#include "support/DriveRecords.h"

namespace {

const int kLetter = 3;
const BYTE kInquiry[6] = {0x12, 0, 0, 0, 56, 0};
const BYTE kTestUnitReady[6] = {0x00, 0, 0, 0, 0, 0};

class HostileModeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pMachine = EmuStartMachine();
        EmuInstallClock(m_pMachine);
        m_nDrive = m_pMachine->AddDrive("KORVATH ", "DVDR   QZ7240   ", "1.07");
        m_pMachine->SetLetter(kLetter, DRIVE_CDROM, m_nDrive);
        m_Manager.m_nAccessMode = kAccessModeSpti;
        m_Record = MakeRecord(0, 0, kLetter);
        AddAdapter(m_Manager, kBusTypeIdeChannel, 0, {m_Record});
    }
    void TearDown() override
    {
        EmuRemoveClock();
        EmuRemoveDeviceIo();
    }

    // The INQUIRY answers (56 bytes each, the buffer filled with 0xEE first) and results of n commands.
    std::vector<std::string> Inquiries(int n)
    {
        std::vector<std::string> answers;
        for (int i = 0; i < n; ++i) {
            std::string answer(56, '\xEE');
            const ExecStatus status = m_Manager.ExecScsiCommand(m_Record, kInquiry, &answer[0], 56);
            answers.push_back(std::to_string(status) + ":" + answer);
        }
        return answers;
    }

    IEmuMachine* m_pMachine = nullptr;
    int m_nDrive = -1;
    CDriveManager m_Manager;
    CDeviceRecord m_Record;
};

TEST_F(HostileModeTest, ASeedReplaysTheSameChanges)
{
    EmuSetHostile(m_pMachine, m_nDrive, 4242, 500);
    const std::vector<std::string> first = Inquiries(200);
    const std::string firstLog = EmuHostileLog(m_pMachine, m_nDrive);
    EmuSetHostile(m_pMachine, m_nDrive, 4242, 500);
    EXPECT_EQ(first, Inquiries(200));
    EXPECT_EQ(firstLog, EmuHostileLog(m_pMachine, m_nDrive));
    const int64_t nChanged = m_pMachine->GetInt(m_nDrive, EMU_KEY_HOSTILE_CHANGED, 0);
    EXPECT_GT(nChanged, 50);
    EXPECT_LT(nChanged, 150);
    EXPECT_EQ(200, m_pMachine->GetInt(m_nDrive, EMU_KEY_HOSTILE_COUNT, 0));
    EXPECT_EQ(0u, firstLog.find("seed 4242 #")) << firstLog;

    EmuSetHostile(m_pMachine, m_nDrive, 4243, 500);
    EXPECT_NE(first, Inquiries(200)) << "another seed, other changes";
}

TEST_F(HostileModeTest, AShareOfZeroAnswersTruly)
{
    const std::vector<std::string> truth = Inquiries(20);
    EmuSetHostile(m_pMachine, m_nDrive, 7, 0);
    EXPECT_EQ(truth, Inquiries(20));
    EXPECT_EQ("", EmuHostileLog(m_pMachine, m_nDrive));
}

TEST_F(HostileModeTest, ACutAnswerLeavesTheRestOfTheBufferAsItWas)
{
    const std::string truth = Inquiries(1)[0];
    EmuSetHostile(m_pMachine, m_nDrive, 99, 1000, kEmuHostileCut);
    for (const std::string& answer : Inquiries(30)) {
        ASSERT_EQ("1:", answer.substr(0, 2));
        const std::string bytes = answer.substr(2);
        const size_t nKept = bytes.find_first_of('\xEE') == std::string::npos ? bytes.size() : bytes.find('\xEE');
        EXPECT_LT(nKept, bytes.size()) << "every answer is cut";
        EXPECT_EQ(truth.substr(2, nKept), bytes.substr(0, nKept));
        EXPECT_EQ(std::string(bytes.size() - nKept, '\xEE'), bytes.substr(nKept));
    }
}

TEST_F(HostileModeTest, ACommandThatNeverCompletesFailsAfterItsTimeLimit)
{
    EmuSetHostile(m_pMachine, m_nDrive, 5, 1000, kEmuHostileTimeout);
    const uint64_t nBefore = m_pMachine->GetTimeUs();
    EXPECT_EQ(kExecFailed, m_Manager.ExecScsiCommand(m_Record, kTestUnitReady, nullptr, 0));
    const uint64_t nElapsed = m_pMachine->GetTimeUs() - nBefore;
    EXPECT_EQ(uint64_t(PassThroughTimeoutSeconds(0x00)) * 1000000, nElapsed);
    EXPECT_NE(std::string::npos, EmuHostileLog(m_pMachine, m_nDrive).find("op 00 timeout after"));
}

TEST_F(HostileModeTest, RandomSenseEndsTheCommandInCheckCondition)
{
    EmuSetHostile(m_pMachine, m_nDrive, 11, 1000, kEmuHostileSense);
    for (const std::string& answer : Inquiries(20))
        EXPECT_EQ("0:", answer.substr(0, 2));
    EXPECT_EQ(20, m_pMachine->GetInt(m_nDrive, EMU_KEY_HOSTILE_CHANGED, 0));
}

} // namespace
