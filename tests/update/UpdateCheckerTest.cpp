// tests/update/UpdateCheckerTest.cpp
// CUpdateChecker and the drive walk on emulated drives against the scripted update service: the service address
// from the registry or the default, the answers, the query for each drive, the walk's all-or-nothing findings,
// the walk through tinyproxy with Basic credentials, and the abort; the program and language queries, the firmware
// downloads and the name lists; and the update dialog's worker when it outlives the dialog.
#include "UpdateTestSupport.h"

#include "Emu.h"
#include "framework/Thread.h"
#include "gui/GuiTest.h"
#include "support/TestFiles.h"
#include "update/FWUpdateDlg.h"
#include "update/ScrambledText.h"
#include "update/UpdateChecker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <type_traits>

using guitest::HookSession;
using updatetest::ServiceUrl;
using updatetest::UpdateMachine;

namespace {

const char kDatabaseText[] = "Failed to check for firmware upgrade.\nThe database is temporarly unavailable.";
const char kSoftwareDatabaseText[] = "Failed to check for software updates\nThe database is temporarly unavailable.";
const char kDefaultAddress[] = "http://update.tavisk.example/check";

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
        EXPECT_STREQ(kDefaultAddress, checker.GetBaseUrl()) << "no key";
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

// The built-in address is kept in the scrambled form of the registry value: neither the stored constant nor the
// program file shows it (the plain address of the download page shows that the search finds what is there), and it
// unscrambles to the service's address.
TEST(UpdateDefaultAddress, KeptScrambled)
{
    const std::string stored = kScrambledDefaultUpdateUrl;
    EXPECT_EQ(std::string::npos, stored.find("example"));
    EXPECT_EQ(std::string::npos, stored.find("http"));
    EXPECT_STREQ(kDefaultAddress, UnscrambleText(kScrambledDefaultUpdateUrl));

    const std::vector<uint8_t> program = testsupport::ReadBytes(testsupport::ProgramFolder() + "Tavisk.exe");
    ASSERT_FALSE(program.empty()) << "Tavisk.exe is copied beside the test program";
    const std::string bytes(program.begin(), program.end());
    EXPECT_NE(std::string::npos, bytes.find("www.korvath.example/technicalservices"));
    EXPECT_EQ(std::string::npos, bytes.find("update.tavisk.example"));
    EXPECT_EQ(std::string::npos, bytes.find("UPDATE.TAVISK.EXAMPLE"));
}

// The request line and the body of the service's latest request.
std::pair<std::string, std::string> LatestRequest()
{
    const std::vector<std::string> requests = updatetest::ServiceRequests();
    if (requests.empty())
        return {};
    const std::string& request = requests.back();
    const size_t nBody = request.find("\r\n\r\n");
    std::string body = nBody == std::string::npos ? "" : request.substr(nBody + 4);
    if (body.size() >= 2 && body.compare(body.size() - 2, 2, "\r\n") == 0)
        body.resize(body.size() - 2);
    return {request.substr(0, request.find("\r\n")), body};
}

// A program's newest version, and the file of a language, as the service names them.
TEST_F(UpdateCheckerTest, ProgramAndLanguageQueries)
{
    REQUIRE_SERVICE();
    struct Case {
        const char* name;
        const char* base;
        bool language;
        const char* asked;
        BOOL result;
        const char* first;  // the newest version, or the language's file
        const char* second; // the third field (programs)
        const char* line;
        const char* body;
        const char* error;
    };
    static const Case kCases[] = {
        {"newer program", "/check", false, "Tavisk", TRUE, "1.30", "Tavisk130.exe", "POST /check HTTP/1.0",
         "program=Tavisk", ""},
        {"answer names another program", "/check", false, "Tavisk Old", FALSE, "", "", "POST /check HTTP/1.0",
         "program=Tavisk%20Old", kSoftwareDatabaseText},
        {"program the service does not list", "/check", false, "Sorter", TRUE, "0.00", "N/A", "POST /check HTTP/1.0",
         "program=Sorter", ""},
        {"empty answer", "/nolength", false, "Tavisk", TRUE, "", "", "POST /nolength HTTP/1.0", "program=Tavisk", ""},
        {"status 404", "/status/404", false, "Tavisk", FALSE, "", "", "POST /status/404 HTTP/1.0", "program=Tavisk",
         " 404 Not Found"},
        {"language file", "/check", true, "English", TRUE, "tavisk-en.lng", "", "POST /check/lang HTTP/1.0",
         "language=English", ""},
        {"language file without a path", "/check", true, "Dansk", TRUE, "tavisk-da.lng", "",
         "POST /check/lang HTTP/1.0", "language=Dansk", ""},
        {"language, answer names another program", "/check", true, "Tavisk Old", FALSE, "", "",
         "POST /check/lang HTTP/1.0", "language=Tavisk%20Old", kSoftwareDatabaseText},
    };
    for (const Case& c : kCases) {
        updatetest::SetUpdatePath(ServiceUrl(c.base));
        CUpdateChecker checker(Direct(), "");
        CString first = "left over", second = "left over";
        const BOOL bResult = c.language ? checker.CheckLanguage("/lang", c.asked, &first)
                                        : checker.CheckSoftwareUpdate(c.asked, &first, &second);
        if (c.language)
            second.Empty();
        EXPECT_EQ(c.result, bResult) << c.name;
        EXPECT_STREQ(c.first, first) << c.name;
        EXPECT_STREQ(c.second, second) << c.name;
        EXPECT_EQ(std::make_pair(std::string(c.line), std::string(c.body)), LatestRequest()) << c.name;
        CString error;
        checker.GetErrorText(&error);
        EXPECT_STREQ(c.error, error) << c.name;
    }
}

// The firmware file the service sends for a name: larger than any answer of a query.
std::vector<uint8_t> FirmwareBytes(const std::string& name)
{
    return updatetest::ServiceFileBytes(name, updatetest::kFirmwareLength);
}

// Removes a file and the folders above it up to (not including) the scratch folder.
void RemoveBelow(const testsupport::ScratchFolder& scratch, std::string path)
{
    ::DeleteFileA(path.c_str());
    for (size_t n = path.rfind('\\'); n != std::string::npos && path.substr(0, n) != scratch.Path();
         n = path.rfind('\\')) {
        path.resize(n);
        ::RemoveDirectoryA(path.c_str());
    }
}

TEST_F(UpdateCheckerTest, FirmwareDownloadIntoAFolder)
{
    REQUIRE_SERVICE();
    testsupport::ScratchFolder scratch;
    HookSession session;
    CUpdateChecker checker(Direct(), "");
    checker.Abort(); // a download starts afresh after a check was aborted
    const std::string file = scratch.Path("fw\\DVDR QZ7160\\QZ7160-107.ZIP");
    CString path;
    EXPECT_TRUE(checker.DownloadFirmware(ServiceUrl("/firmware/QZ7160-107.ZIP"), scratch.Path().c_str(),
                                         "fw\\DVDR QZ7160", nullptr, 0, &path));
    EXPECT_STREQ(file.c_str(), path);
    EXPECT_EQ(FirmwareBytes("QZ7160-107.ZIP"), testsupport::ReadBytes(file));
    EXPECT_TRUE(session.MessageBoxes().empty());

    // Asked before a file there is replaced; No keeps it.
    testsupport::WriteText(file, "kept");
    session.QueueAnswer(IDNO);
    EXPECT_TRUE(checker.DownloadFirmware(ServiceUrl("/firmware/QZ7160-107.ZIP"), scratch.Path().c_str(),
                                         "fw\\DVDR QZ7160", nullptr, 0, &path));
    EXPECT_EQ("kept", testsupport::ReadText(file));
    ASSERT_EQ(1u, session.MessageBoxes().size());
    EXPECT_STREQ(CString(file.c_str()) + "\nThe file already exists on this location.\nDo you wish to overwrite?",
                 session.MessageBoxes()[0].text);
    RemoveBelow(scratch, file);

    CString closed;
    closed.Format("http://127.0.0.1:%d/firmware/QZ8080-110.ZIP", updatetest::ClosedPort());
    struct Failure {
        const char* name;
        CString url;
        const char* text;
    };
    const Failure kFailures[] = {
        {"status 404", ServiceUrl("/status/404/QZ8080-110.ZIP"),
         "Tavisk was unable to download the firmware upgrade for this drive."},
        {"no service", closed, "Unable to connect!\r\n"},
        {"cut body", ServiceUrl("/cut/QZ8080-110.ZIP"), "Error while receiving data\n"},
    };
    for (const Failure& f : kFailures) {
        session.ClearMessageBoxes();
        EXPECT_FALSE(checker.DownloadFirmware(f.url, scratch.Path().c_str(), "fw", nullptr, 1, &path)) << f.name;
        ASSERT_EQ(1u, session.MessageBoxes().size()) << f.name;
        const guitest::MessageBoxRecord& box = session.MessageBoxes()[0];
        EXPECT_STREQ(f.text, box.text) << f.name;
        EXPECT_STREQ("Tavisk", box.caption) << f.name;
        EXPECT_EQ(UINT(MB_ICONEXCLAMATION), box.type & MB_ICONMASK) << f.name;
        EXPECT_FALSE(testsupport::FileExists(scratch.Path("fw\\QZ8080-110.ZIP"))) << f.name;
    }
    RemoveBelow(scratch, scratch.Path("fw\\QZ8080-110.ZIP"));
}

// Into the folder the checker was given: a download files the name list's entries of that name as software updates;
// a failed one files nothing.
TEST_F(UpdateCheckerTest, DownloadIntoTheGivenFolderFilesTheNamedEntries)
{
    REQUIRE_SERVICE();
    testsupport::ScratchFolder scratch;
    HookSession session;
    const std::string folder = scratch.Path("to\\fw");
    CUpdateChecker checker(Direct(), folder.c_str());
    CDeviceRecord drives[3];
    checker.AddNamedUpdate("QZ2160-109.ZIP", UpdateEntry{&drives[0], "QZ2160-109.ZIP", "1.09"});
    checker.AddNamedUpdate("QZ7160-107.ZIP", UpdateEntry{&drives[1], "QZ7160-107.ZIP", "1.07"});
    checker.AddNamedUpdate("QZ2160-109.ZIP", UpdateEntry{&drives[2], "N/A", "1.09"});

    EXPECT_FALSE(checker.DownloadFirmwareTo(ServiceUrl("/status/404/QZ2160-109.ZIP"), "QZ2160-109.ZIP", nullptr, 1));
    EXPECT_EQ(0, checker.GetSoftwareUpdates().GetSize());
    ASSERT_EQ(1u, session.MessageBoxes().size());
    EXPECT_STREQ("Tavisk was unable to download the firmware upgrade for this drive.", session.MessageBoxes()[0].text);

    CString path;
    EXPECT_TRUE(
        checker.DownloadFirmwareTo(ServiceUrl("/firmware/QZ2160-109.ZIP"), "QZ2160-109.ZIP", nullptr, 1, &path));
    EXPECT_STREQ((folder + "\\QZ2160-109.ZIP").c_str(), path);
    EXPECT_EQ(FirmwareBytes("QZ2160-109.ZIP"), testsupport::ReadBytes(folder + "\\QZ2160-109.ZIP"));
    const CUpdateEntryArray& filed = checker.GetSoftwareUpdates();
    ASSERT_EQ(2, filed.GetSize());
    EXPECT_EQ(&drives[0], filed[0].pDrive);
    EXPECT_EQ(&drives[2], filed[1].pDrive);
    EXPECT_STREQ("N/A", filed[1].strThirdField);
    EXPECT_EQ(1u, session.MessageBoxes().size());
    RemoveBelow(scratch, folder + "\\QZ2160-109.ZIP");
}

// The collected list holds the first entry of each name, names compared as zero-terminated texts.
TEST(UpdateNameList, CollectedListKeepsTheFirstEntryOfEachName)
{
    CUpdateChecker checker(Direct(), "");
    CDeviceRecord drives[6];
    const CString names[] = {"B", "A", "B", CString("A\0second", 8), "C", "a"};
    for (int i = 0; i < 6; ++i)
        checker.AddNamedUpdate(names[i], UpdateEntry{&drives[i], "", ""});
    EXPECT_EQ(0, checker.GetCollectedCount());
    for (int nRound = 0; nRound < 2; ++nRound) {
        checker.CollectNamedUpdates();
        const int kKept[] = {0, 1, 4, 5};
        ASSERT_EQ(4, checker.GetCollectedCount()) << nRound;
        for (int i = 0; i < 4; ++i) {
            ASSERT_NE(nullptr, checker.GetCollected(i));
            EXPECT_EQ(&drives[kKept[i]], checker.GetCollected(i)->entry.pDrive) << i;
            EXPECT_STREQ(names[kKept[i]], checker.GetCollected(i)->strName) << i;
        }
        EXPECT_EQ(nullptr, checker.GetCollected(4));
        EXPECT_EQ(nullptr, checker.GetCollected(-1));
    }
    EXPECT_EQ(6, checker.GetNamedUpdateCount());
}

// The dialog's wait for its worker gives up (here at once, as after a minute with a drive that does not answer) and
// the dialog goes while the worker is still inside a drive command. The worker must not use anything of the dialog:
// the dialog's memory is overwritten once it is gone, then the worker is let go. It ends normally and, aborted,
// files nothing in the program-wide list that the dialog emptied.
TEST_F(UpdateCheckerTest, UpdateWorkerOutlivesItsDialog)
{
    REQUIRE_SERVICE();
    updatetest::SetUpdatePath(ServiceUrl("/check"));
    UpdateMachine machine;
    machine.AddDrive(0, "KORVATH ", "DVDR   QZ7160   ", "1.05"); // 1.07 offered
    // Holds the INQUIRY after the service's answer.
    updatetest::HeldDriveCommand held;
    updatetest::ScopedWorkerWait wait(updatetest::HeldDriveCommand::GiveUpAtOnce);
    ::InitCommonControls();

    std::aligned_storage<sizeof(CFWUpdateDlg), alignof(CFWUpdateDlg)>::type storage;
    CFWUpdateDlg* pDlg = new (&storage) CFWUpdateDlg(nullptr);
    ASSERT_TRUE(pDlg->Create(IDD_FWUPDATE, nullptr));
    pDlg->StartCheckAllDrives(Direct(), "", 0, 0, 0);
    ASSERT_TRUE(held.WaitUntilHeld(15000)) << "the worker reads the drive's revision after the service answered";

    pDlg->DestroyWindow();
    pDlg->~CFWUpdateDlg();
    std::memset(&storage, 0xDD, sizeof storage);
    held.Release();
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(held.Worker(), 15000));
    DWORD dwExitCode = 0xFFFF;
    ::GetExitCodeThread(held.Worker(), &dwExitCode);
    EXPECT_EQ(0u, dwExitCode);
    EXPECT_TRUE(held.ManagerStayed());
    EXPECT_EQ(0, g_arrUpdates.GetSize());
}

} // namespace
