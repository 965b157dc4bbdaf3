// tests/update/UpdateCheckerTest.cpp
// CUpdateChecker and the drive walk on emulated drives against the scripted update service: the service address
// from the registry or the default, the answers, the query for each drive, the walk's all-or-nothing findings,
// the walk through tinyproxy with Basic credentials, and the abort.
#include "UpdateTestSupport.h"

#include "Emu.h"
#include "framework/Thread.h"
#include "update/ScrambledText.h"
#include "update/UpdateChecker.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using updatetest::ServiceUrl;
using updatetest::UpdateMachine;

namespace {

const char kDatabaseText[] = "Failed to check for firmware upgrade.\nThe database is temporarly unavailable.";

const ProxySettings* Direct()
{
    static const ProxySettings direct;
    return &direct;
}

ProxySettings ThroughProxy(const CString& user, const CString& password)
{
    ProxySettings proxy;
    proxy.useProxy = TRUE;
    proxy.server = "127.0.0.1";
    proxy.port = static_cast<UINT>(updatetest::ProxyPort());
    proxy.user = user;
    proxy.password = password;
    return proxy;
}

// The POST bodies the service received since the given request count.
std::vector<std::string> BodiesSince(size_t nFirst)
{
    std::vector<std::string> bodies;
    const std::vector<std::string> requests = updatetest::ServiceRequests();
    for (size_t i = nFirst; i < requests.size(); ++i) {
        const size_t nBody = requests[i].find("\r\n\r\n");
        std::string body = nBody == std::string::npos ? "" : requests[i].substr(nBody + 4);
        if (body.size() >= 2 && body.compare(body.size() - 2, 2, "\r\n") == 0)
            body.resize(body.size() - 2);
        bodies.push_back(body);
    }
    return bodies;
}

class UpdateCheckerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        updatetest::StartSockets();
        g_arrUpdates.RemoveAll();
        updatetest::RemoveUpdatePath();
    }
    void TearDown() override
    {
        g_arrUpdates.RemoveAll();
        updatetest::RemoveUpdatePath();
    }
};

TEST(UpdateAnswer, FieldsOfTheServiceAnswer)
{
    struct Case {
        const char* answer;
        const char* identification;
        BOOL result;
        const char* version;
        const char* third;
    };
    static const Case kCases[] = {
        {"DVDR   QZ7160;1.10;N/A", "DVDR   QZ7160   ", TRUE, "1.10", "N/A"},
        {"DVDR   QZ7160;1.10;", "DVDR   QZ7160   ", TRUE, "1.10", ""},
        {"DVDR   QZ7160;1.10", "DVDR   QZ7160   ", TRUE, "", "1.10"},
        {"DVDR   QZ7160;1.10;a;b", "DVDR   QZ7160   ", TRUE, "1.10", "a;b"},
        {"dvdr   qz7160;1.10;N/A", "DVDR   QZ7160   ", FALSE, "", ""},
        {"DVDR   QZ7160   ;1.10;N/A", "DVDR   QZ7160   ", FALSE, "", ""},
        {"DVDR   QZ7160", "DVDR   QZ7160   ", FALSE, "", ""},
        {"<html>maintenance</html>", "DVDR   QZ7160   ", FALSE, "", ""},
        {"CD-R   QZ5280U;2.01;X", "CD-R   QZ5280U ", TRUE, "2.01", "X"},
    };
    for (const Case& c : kCases) {
        CString version, third;
        EXPECT_EQ(c.result, CUpdateChecker::ParseServiceAnswer(c.answer, c.identification, &version, &third))
            << c.answer;
        EXPECT_STREQ(c.version, version) << c.answer;
        EXPECT_STREQ(c.third, third) << c.answer;
    }
}

TEST(UpdateQuery, IdentificationSentForADrive)
{
    struct Case {
        const char* product;
        const char* revision;
        const char* sent;
    };
    static const Case kCases[] = {
        {"DVDR   QZ7160   ", "1.05", "DVDR   QZ7160   "},
        {"CD-R   QZ5280   ", "1.02", "CD-R   QZ5280   "},
        {"CD-R   QZ5280   ", "1.12", "CD-R   QZ5280U "},
        {"CD-R   QZ5280U  ", "1.12", "CD-R   QZ5280U  "},
    };
    for (const Case& c : kCases) {
        CDeviceRecord record;
        std::strncpy(record.m_szProduct, c.product, 16);
        std::strncpy(record.m_szRevision, c.revision, 4);
        EXPECT_STREQ(c.sent, CUpdateChecker::GetQueryIdentification(record)) << c.product << c.revision;
    }
}

TEST_F(UpdateCheckerTest, ServiceAddressFromTheRegistryOrTheDefault)
{
    {
        CUpdateChecker checker(Direct(), "");
        checker.GetUpdateUrl();
        EXPECT_STREQ(kDefaultUpdateUrl, checker.GetBaseUrl()) << "no key";
    }
    updatetest::SetUpdatePath("http://127.0.0.1:1/elsewhere");
    {
        CUpdateChecker checker(Direct(), "");
        checker.GetUpdateUrl();
        EXPECT_STREQ("http://127.0.0.1:1/elsewhere", checker.GetBaseUrl());
        updatetest::SetUpdatePath("http://127.0.0.1:2/changed");
        checker.GetUpdateUrl();
        EXPECT_STREQ("http://127.0.0.1:1/elsewhere", checker.GetBaseUrl()) << "read once per checker";
    }
    struct Raw {
        const char* name;
        DWORD type;
        std::string bytes;
        CString expected;
    };
    const std::string stored = ScrambleText("http://127.0.0.1:3/x").GetString();
    const Raw kRaw[] = {
        {"binary, no terminating zero", REG_BINARY, stored, "http://127.0.0.1:3/x"},
        {"text with a zero inside", REG_SZ, stored + std::string(1, '\0') + "junk", "http://127.0.0.1:3/x"},
        {"longer than a scrambled text", REG_SZ, std::string(260, 'A'), ""},
        {"odd length", REG_SZ, stored.substr(1), ""},
        {"empty", REG_SZ, "", ""},
    };
    for (const Raw& r : kRaw) {
        updatetest::SetRawUpdatePath(r.type, r.bytes.data(), static_cast<DWORD>(r.bytes.size()));
        CUpdateChecker checker(Direct(), "");
        checker.GetUpdateUrl();
        EXPECT_STREQ(r.expected, checker.GetBaseUrl()) << r.name;
    }
}

TEST_F(UpdateCheckerTest, AMachineWithoutTheMakersDrivesAsksNothing)
{
    REQUIRE_SERVICE();
    updatetest::SetUpdatePath(ServiceUrl("/check"));
    UpdateMachine machine;
    machine.AddDrive(0, "OTHERCO ", "DVD-ROM X100    ", "1.00");
    machine.AddDrive(0, "KORVATH", "DVDR   QZ7160   ", "1.05");  // no trailing blank
    machine.AddDrive(1, "KORVATHX", "DVDR   QZ7160   ", "1.05"); // another name
    const size_t nBefore = updatetest::ServiceRequests().size();
    CUpdateChecker checker(Direct(), "");
    EXPECT_TRUE(WalkDrivesForUpdates(checker, machine.m_Manager.m_Adapters));
    EXPECT_EQ(nBefore, updatetest::ServiceRequests().size());
    EXPECT_EQ(0, g_arrUpdates.GetSize());
}

// Every drive of the maker is asked, in adapter, target and LUN order, with its identification as the body; the
// findings keep the walk's order and point at the walked records.
TEST_F(UpdateCheckerTest, CompleteWalkCollectsTheNewerVersions)
{
    REQUIRE_SERVICE();
    updatetest::SetUpdatePath(ServiceUrl("/check"));
    UpdateMachine machine;
    machine.AddDrive(0, "KORVATH ", "DVDR   QZ7160   ", "1.05"); // 1.07 offered
    machine.AddDrive(0, "KORVATH ", "CD-R   QZ4120   ", "1.06"); // 1.06 offered: same
    machine.AddDrive(0, "OTHERCO ", "CD-ROM X52      ", "1.00");
    machine.AddDrive(1, "KORVATH ", "DVD    QZ8080   ", "1.03"); // 1.10 offered, third field "N/A"
    machine.AddDrive(1, "KORVATH ", "CD-R   QZ4320   ", "1.04"); // 1.05 offered, third field empty
    machine.AddDrive(1, "KORVATH ", "CD-R   QZ5280   ", "1.12"); // asked as the USB model: 2.01
    machine.AddDrive(1, "KORVATH ", "DVD    QZ8200   ", "1.01"); // answer with two fields: no version

    const size_t nBefore = updatetest::ServiceRequests().size();
    CUpdateChecker checker(Direct(), "");
    ASSERT_TRUE(WalkDrivesForUpdates(checker, machine.m_Manager.m_Adapters));

    const std::vector<std::string> kBodies = {
        "product=DVDR%20%20%20QZ7160%20%20%20",   "product=CD-R%20%20%20QZ4120%20%20%20",
        "product=DVD%20%20%20%20QZ8080%20%20%20", "product=CD-R%20%20%20QZ4320%20%20%20",
        "product=CD-R%20%20%20QZ5280U%20",        "product=DVD%20%20%20%20QZ8200%20%20%20",
    };
    EXPECT_EQ(kBodies, BodiesSince(nBefore));

    struct Finding {
        int adapter, target;
        const char* version;
        const char* third;
    };
    static const Finding kFindings[] = {
        {0, 0, "1.07", "QZ7160-107.ZIP"},
        {1, 0, "1.10", "N/A"},
        {1, 1, "1.05", ""},
        {1, 2, "2.01", "QZ5280U-201.ZIP"},
    };
    ASSERT_EQ(4, g_arrUpdates.GetSize());
    for (int i = 0; i < 4; ++i) {
        const UpdateEntry& entry = g_arrUpdates[i];
        EXPECT_EQ(&machine.Record(kFindings[i].adapter, kFindings[i].target), entry.pDrive) << i;
        EXPECT_STREQ(kFindings[i].version, entry.strNewestVersion) << i;
        EXPECT_STREQ(kFindings[i].third, entry.strThirdField) << i;
    }
    CString error;
    checker.GetErrorText(&error);
    EXPECT_STREQ("", error);
}

// The revision compared is the one the drive reports now, not the one recorded at the scan; a drive that does not
// answer counts as older than any version.
TEST_F(UpdateCheckerTest, CurrentRevisionIsReadFromTheDrive)
{
    REQUIRE_SERVICE();
    updatetest::SetUpdatePath(ServiceUrl("/check"));
    UpdateMachine machine;
    CDeviceRecord& updated = machine.AddDrive(0, "KORVATH ", "DVDR   QZ7160   ", "1.05");
    std::memcpy(updated.m_szRevision, "1.01", 4);
    machine.m_pMachine->Reset(); // no drive answers INQUIRY any more
    int nDrive = machine.m_pMachine->AddDrive("KORVATH ", "DVDR   QZ7160   ", "1.07");
    machine.m_pMachine->SetLetter(updated.m_nDriveLetter, DRIVE_CDROM, nDrive);
    CUpdateChecker checker(Direct(), "");
    EXPECT_TRUE(checker.CheckFirmware(&updated));
    EXPECT_EQ(0, checker.GetUpdateCount()) << "the drive reports 1.07 now";

    machine.m_pMachine->SetLetter(updated.m_nDriveLetter, DRIVE_CDROM, -1);
    CUpdateChecker silent(Direct(), "");
    EXPECT_TRUE(silent.CheckFirmware(&updated));
    EXPECT_EQ(1, silent.GetUpdateCount()) << "no INQUIRY answer: any version is newer";
}

// A failure in the middle stops the walk: the next drive is not asked and nothing is kept, not even the findings
// before the failure.
TEST_F(UpdateCheckerTest, FailureInTheMiddleKeepsNothing)
{
    REQUIRE_SERVICE();
    struct Case {
        const char* name;
        const char* path;
        const char* second; // product of the drive whose query fails
        const char* error;
    };
    static const Case kCases[] = {
        {"answer names another drive", "/check", "DVD    QZ8240   ", kDatabaseText},
        {"status 404", "/status/404", "DVD    QZ8080   ", " 404 Not Found"},
        {"cut body", "/cut", "DVD    QZ8080   ", "Error while receiving data\n"},
    };
    for (const Case& c : kCases) {
        g_arrUpdates.RemoveAll();
        updatetest::SetUpdatePath(ServiceUrl(c.path));
        UpdateMachine machine;
        machine.AddDrive(0, "KORVATH ", "DVDR   QZ7160   ", "1.05");
        machine.AddDrive(0, "KORVATH ", c.second, "1.01");
        machine.AddDrive(0, "KORVATH ", "CD-R   QZ2160   ", "1.01");
        const size_t nBefore = updatetest::ServiceRequests().size();
        CUpdateChecker checker(Direct(), "");
        EXPECT_FALSE(WalkDrivesForUpdates(checker, machine.m_Manager.m_Adapters)) << c.name;
        const size_t nAsked = updatetest::ServiceRequests().size() - nBefore;
        // A 404 or a cut answer fails at the first drive already.
        EXPECT_EQ(std::string(c.path) == "/check" ? 2u : 1u, nAsked) << c.name;
        EXPECT_EQ(0, g_arrUpdates.GetSize()) << c.name;
        CString error;
        checker.GetErrorText(&error);
        EXPECT_STREQ(c.error, error) << c.name;
        checker.GetErrorText(&error);
        EXPECT_STREQ(std::string(c.path) == "/check" ? "" : c.error, error) << c.name << ": own text taken once";
    }
}

TEST_F(UpdateCheckerTest, WalkThroughTinyproxyWithBasicCredentials)
{
    REQUIRE_SERVICE();
    REQUIRE_PROXY();
    updatetest::SetUpdatePath(ServiceUrl("/check"));
    UpdateMachine machine;
    machine.AddDrive(0, "KORVATH ", "DVDR   QZ7160   ", "1.05");
    machine.AddDrive(0, "KORVATH ", "DVD    QZ8080   ", "1.03");
    {
        const ProxySettings proxy = ThroughProxy(updatetest::ProxyUser(), updatetest::ProxyPassword());
        CUpdateChecker checker(&proxy, "");
        ASSERT_TRUE(WalkDrivesForUpdates(checker, machine.m_Manager.m_Adapters));
        ASSERT_EQ(2, g_arrUpdates.GetSize());
        EXPECT_STREQ("1.07", g_arrUpdates[0].strNewestVersion);
        EXPECT_STREQ("1.10", g_arrUpdates[1].strNewestVersion);
    }
    g_arrUpdates.RemoveAll();
    {
        const ProxySettings proxy = ThroughProxy(updatetest::ProxyUser(), "wrong");
        CUpdateChecker checker(&proxy, "");
        EXPECT_FALSE(WalkDrivesForUpdates(checker, machine.m_Manager.m_Adapters));
        EXPECT_EQ(0, g_arrUpdates.GetSize());
        CString error;
        checker.GetErrorText(&error);
        EXPECT_STREQ(" 401 Unauthorized", error);
    }
}

struct WalkRun {
    CUpdateChecker* pChecker;
    CHostAdapterArray* pAdapters;
    BOOL bResult;
};

UINT __cdecl WalkThread(LPVOID pParam)
{
    WalkRun* pRun = static_cast<WalkRun*>(pParam);
    pRun->bResult = WalkDrivesForUpdates(*pRun->pChecker, *pRun->pAdapters);
    return 0;
}

// An abort from the user-interface thread ends a walk that waits on a silent service at once; nothing is kept.
TEST_F(UpdateCheckerTest, AbortStopsTheWalk)
{
    REQUIRE_SERVICE();
    updatetest::SetUpdatePath(ServiceUrl("/silent"));
    UpdateMachine machine;
    machine.AddDrive(0, "KORVATH ", "DVDR   QZ7160   ", "1.05");
    machine.AddDrive(0, "KORVATH ", "DVD    QZ8080   ", "1.03");
    const size_t nBefore = updatetest::ServiceRequests().size();
    CUpdateChecker checker(Direct(), "");
    WalkRun run = {&checker, &machine.m_Manager.m_Adapters, TRUE};
    CWinThread* pThread = AfxBeginThread(WalkThread, &run, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, pThread);
    pThread->m_bAutoDelete = FALSE;
    pThread->ResumeThread();
    ::Sleep(400);
    const DWORD dwStart = ::GetTickCount();
    checker.Abort();
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(pThread->m_hThread, 5000));
    EXPECT_LT(::GetTickCount() - dwStart, 2000u);
    delete pThread;
    EXPECT_FALSE(run.bResult);
    EXPECT_EQ(0, g_arrUpdates.GetSize());
    EXPECT_EQ(1u, updatetest::ServiceRequests().size() - nBefore) << "the second drive is not asked";
}

} // namespace
