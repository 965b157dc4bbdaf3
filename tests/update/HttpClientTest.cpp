// tests/update/HttpClientTest.cpp
// CHttpClient against the scripted update service and the real tinyproxy: the URL pieces, the request bytes as
// the server receives them, every kind of answer the service can give, the time bound and the abort, and Basic
// credentials through the proxy.
#include "UpdateTestSupport.h"

#include "framework/Base64.h"
#include "framework/Socket.h"
#include "framework/Thread.h"
#include "support/TestFiles.h"
#include "update/HttpClient.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using updatetest::ServiceUrl;

namespace {

std::string Show(const CString& text)
{
    std::string out;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '\r')
            out += "\\r";
        else if (*p == '\n')
            out += "\\n";
        else
            out += *p;
    }
    return out;
}

class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override { updatetest::StartSockets(); }
};

TEST(Base64, EncodesWithPadding)
{
    struct Case {
        const char* plain;
        const char* encoded;
    };
    static const Case kCases[] = {
        {"", ""}, {"u:p", "dTpw"}, {"u:", "dTo="}, {"tester:s3cret", "dGVzdGVyOnMzY3JldA=="}, {"\xFF\xFE\xFD", "//79"},
    };
    for (const Case& c : kCases)
        EXPECT_STREQ(c.encoded, Base64Encode(CString(c.plain))) << c.plain;
}

TEST(HttpUrl, PiecesOfTheUrl)
{
    struct Case {
        const char* url;
        const char* scheme;
        const char* host;
        int port;
        const char* path;
    };
    static const Case kCases[] = {
        {"http://upd.example/path/check?product=X Y", "HTTP", "UPD.EXAMPLE", 80, "/path/check?product=X%20Y"},
        {"host:8080/a", "HTTP", "HOST", 8080, "/a"},
        {"host", "HTTP", "HOST", 80, "/"},
        {"http://Host.Example", "HTTP", "HOST.EXAMPLE", 80, "/"},
        {"Http://Host/MiXed/Path?Q=aB", "HTTP", "HOST", 80, "/MiXed/Path?Q=aB"},
        {"ftp://files.example/fw.bin", "FTP", "FILES.EXAMPLE", 80, "/fw.bin"},
        {"http://h.example/p?u=a:b", "HTTP", "H.EXAMPLE", 80, "/p?u=a:b"}, // ':' after the first '/'
        {"http://h.example:/x", "HTTP", "H.EXAMPLE", 0, "/x"},
        {"http://h.example:81", "HTTP", "H.EXAMPLE", 81, "/"},
        {"http://h.example/a b/c d", "HTTP", "H.EXAMPLE", 80, "/a%20b/c%20d"},
    };
    for (const Case& c : kCases) {
        const HttpUrlParts parts = CHttpClient::ParseUrl(c.url);
        EXPECT_STREQ(c.scheme, parts.scheme) << c.url;
        EXPECT_STREQ(c.host, parts.host) << c.url;
        EXPECT_EQ(c.port, parts.port) << c.url;
        EXPECT_STREQ(c.path, parts.path) << c.url;
    }
}

TEST(HttpResponse, StatusAndLength)
{
    struct Case {
        const char* header;
        BOOL result;
        int length;
        const char* error;
    };
    static const Case kCases[] = {
        {"HTTP/1.0 200 OK\r\nContent-Length: 13\r\n\r\n", TRUE, 13, ""},
        {"HTTP/1.0 200 OK\r\n\r\n", TRUE, 0, ""},
        {"HTTP/1.0 200 OK\r\ncontent-length: 13\r\n\r\n", TRUE, 0, ""},
        {"HTTP/1.0 200 OK\r\nContent-Length: -5\r\n\r\n", TRUE, -5, ""},
        {"HTTP/1.0 200 OK\r\nContent-Length: 65537\r\n\r\n", FALSE, 0, "Error while receiving data\n"},
        {"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\n", FALSE, 0, " 404 Not Found"},
        {"HTTP/1.0 302 Found\r\nLocation: http://elsewhere.example/\r\n\r\n", FALSE, 0, " 302 Found"},
        {"", FALSE, 0, "Error while receiving data\n"},
        {"garbage\r\n\r\n", FALSE, 0, "Error while receiving data\n"},
        {"HTTP/1.0 OK\r\n\r\n", FALSE, 0, "Error while receiving data\n"},
    };
    for (const Case& c : kCases) {
        CHttpClient client;
        int nLength = 12345;
        EXPECT_EQ(c.result, client.ParseResponseHeader(c.header, &nLength)) << Show(c.header);
        EXPECT_EQ(c.length, nLength) << Show(c.header);
        CString error;
        client.GetErrorText(&error);
        EXPECT_STREQ(c.error, error) << Show(c.header);
        const bool bStatusError = c.error[0] == ' ';
        EXPECT_EQ(bStatusError ? TRUE : FALSE, client.TakeErrorFlag()) << Show(c.header);
        EXPECT_FALSE(client.TakeErrorFlag());
    }
}

// The service's /echo answers with the request exactly as it arrived; as a proxy it gets the absolute target.
TEST_F(HttpClientTest, RequestBytesAsTheServerReceivesThem)
{
    REQUIRE_SERVICE();
    const int nPort = updatetest::ServicePort();
    struct Case {
        const char* name;
        bool proxy;
        const char* user;
        const char* password;
        CString url;
        int method;
        CString expected;
    };
    const Case kCases[] = {
        {"POST direct, query with a blank", false, "", "", ServiceUrl("/echo/check?product=X Y"), kHttpPost,
         "POST /echo/check HTTP/1.0\r\nContent-Length: 13\r\nHost: 127.0.0.1\r\n"
         "Content-Type: application/x-www-form-urlencoded\r\n\r\nproduct=X%20Y\r\n"},
        {"GET direct, blanks and case kept", false, "", "", ServiceUrl("/echo/Dir A/f?Q=Mixed Case"), kHttpGet,
         "GET /echo/Dir%20A/f?Q=Mixed%20Case HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n"},
        {"POST without a query", false, "", "", ServiceUrl("/echo/plain"), kHttpPost,
         "POST /echo/plain HTTP/1.0\r\nContent-Length: 0\r\nHost: 127.0.0.1\r\n"
         "Content-Type: application/x-www-form-urlencoded\r\n\r\n\r\n"},
        {"POST through the proxy with credentials", true, "u", "p", "http://upd.example/echo/check?product=QZ 1",
         kHttpPost,
         "POST http://UPD.EXAMPLE/echo/check HTTP/1.0\r\nProxy-Authorization: Basic dTpw\r\n"
         "Content-Length: 14\r\nHost: UPD.EXAMPLE\r\n"
         "Content-Type: application/x-www-form-urlencoded\r\n\r\nproduct=QZ%201\r\n"},
        {"GET through the proxy, port kept", true, "", "", "http://upd.example:8080/echo/x?a=1", kHttpGet,
         "GET http://UPD.EXAMPLE:8080/echo/x?a=1 HTTP/1.0\r\nHost: UPD.EXAMPLE:8080\r\n\r\n"},
        {"GET through the proxy, empty password", true, "u", "", "upd.example/echo", kHttpGet,
         "GET http://UPD.EXAMPLE/echo HTTP/1.0\r\nProxy-Authorization: Basic dTo=\r\nHost: UPD.EXAMPLE\r\n\r\n"},
    };
    for (const Case& c : kCases) {
        CHttpClient client;
        client.SetConnection(c.proxy ? TRUE : FALSE, "127.0.0.1", c.proxy ? nPort : 0, c.user, c.password);
        CString answer;
        ASSERT_TRUE(client.Request(c.url, &answer, c.method)) << c.name;
        EXPECT_EQ(Show(c.expected), Show(answer)) << c.name;
    }
}

// What the client makes of each behaviour of the service.
TEST_F(HttpClientTest, AnswersOfTheService)
{
    REQUIRE_SERVICE();
    struct Case {
        const char* path;
        BOOL result;
        const char* answer;
        const char* error;
        BOOL errorFlag;
    };
    static const Case kCases[] = {
        {"/check?product=DVDR   QZ7160   ", TRUE, "DVDR   QZ7160;1.07;QZ7160-107.ZIP", "", FALSE},
        {"/nolength", TRUE, "", "", FALSE},
        {"/lowercase", TRUE, "", "", FALSE},
        {"/zero", TRUE, "abc", "", FALSE},
        {"/status/404", FALSE, "", " 404 Not Found", TRUE},
        {"/status/302", FALSE, "", " 302 Found", TRUE},
        {"/cut", FALSE, "", "Error while receiving data\n", FALSE},
        {"/close", FALSE, "", "Error while receiving data\n", FALSE},
        {"/longheader", FALSE, "", "Error while receiving data\n", FALSE},
        {"/biglength", FALSE, "", "Error while receiving data\n", FALSE},
    };
    for (const Case& c : kCases) {
        CHttpClient client;
        client.SetConnection(FALSE, "", 0, "", "");
        CString answer = "left over";
        EXPECT_EQ(c.result, client.Request(ServiceUrl(c.path), &answer, kHttpPost)) << c.path;
        EXPECT_STREQ(c.answer, answer) << c.path;
        CString error;
        client.GetErrorText(&error);
        EXPECT_EQ(Show(c.error), Show(error)) << c.path;
        EXPECT_EQ(c.errorFlag, client.TakeErrorFlag()) << c.path;
    }
}

TEST_F(HttpClientTest, ConnectionAndSchemeFailures)
{
    REQUIRE_SERVICE();
    CString closed;
    closed.Format("http://127.0.0.1:%d/check", updatetest::ClosedPort());
    CString ftp;
    ftp.Format("ftp://127.0.0.1:%d/fw.bin", updatetest::ServicePort());
    struct Case {
        CString url;
        bool proxy;
        const char* error;
    };
    const Case kCases[] = {
        {closed, false, "Unable to connect!\r\n"},
        {ServiceUrl("/check"), true, "Unable to connect!\r\n"}, // the proxy port is closed
        {ftp, false, "Only HTTP protocol supported"},
        {"http://no-such-host.invalid/check", false, "Unable to connect!\r\n"},
    };
    for (const Case& c : kCases) {
        CHttpClient client;
        client.SetConnection(c.proxy ? TRUE : FALSE, "127.0.0.1", updatetest::ClosedPort(), "", "");
        CString answer;
        EXPECT_FALSE(client.Request(c.url, &answer, kHttpPost)) << c.url;
        CString error;
        client.GetErrorText(&error);
        EXPECT_EQ(Show(c.error), Show(error)) << c.url;
    }
}

// A server that never answers costs the request its time limit and no more.
TEST_F(HttpClientTest, SilentServerEndsAtTheTimeLimit)
{
    REQUIRE_SERVICE();
    CHttpClient client;
    client.SetConnection(FALSE, "", 0, "", "");
    client.SetTimeLimit(1500);
    const DWORD dwStart = ::GetTickCount();
    CString answer;
    EXPECT_FALSE(client.Request(ServiceUrl("/silent"), &answer, kHttpPost));
    const DWORD dwElapsed = ::GetTickCount() - dwStart;
    EXPECT_GE(dwElapsed, 1400u);
    EXPECT_LT(dwElapsed, 5000u);
    CString error;
    client.GetErrorText(&error);
    EXPECT_STREQ("Error while receiving data\n", error);
}

struct AbortLater {
    CHttpClient* pClient;
    DWORD dwDelayMs;
};

UINT __cdecl AbortThread(LPVOID pParam)
{
    AbortLater* pAbort = static_cast<AbortLater*>(pParam);
    ::Sleep(pAbort->dwDelayMs);
    pAbort->pClient->Abort();
    return 0;
}

// Aborts the client from a second thread after the delay; the thread is waited for when this goes.
class AbortingThread {
public:
    AbortingThread(CHttpClient* pClient, DWORD dwDelayMs) : m_abort{pClient, dwDelayMs}
    {
        m_pThread = AfxBeginThread(AbortThread, &m_abort, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
        if (m_pThread != nullptr) {
            m_pThread->m_bAutoDelete = FALSE;
            m_pThread->ResumeThread();
        }
    }
    ~AbortingThread()
    {
        if (m_pThread == nullptr)
            return;
        ::WaitForSingleObject(m_pThread->m_hThread, 5000);
        delete m_pThread;
    }
    AbortingThread(const AbortingThread&) = delete;
    AbortingThread& operator=(const AbortingThread&) = delete;
    bool Started() const { return m_pThread != nullptr; }

private:
    AbortLater m_abort;
    CWinThread* m_pThread = nullptr;
};

// A message-only window that records the WM_HTTP_PROGRESS pairs {total, received} of a download and runs onFirst
// when the first one comes, that is when the body begins.
class ProgressProbe {
public:
    ProgressProbe()
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = WndProc;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TaviskProgressProbe";
        ::RegisterClassA(&windowClass);
        m_hWnd = ::CreateWindowA("TaviskProgressProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance,
                                 nullptr);
        s_pProbe = this;
    }
    ~ProgressProbe()
    {
        ::DestroyWindow(m_hWnd);
        s_pProbe = nullptr;
    }
    ProgressProbe(const ProgressProbe&) = delete;
    ProgressProbe& operator=(const ProgressProbe&) = delete;

    HWND Window() const { return m_hWnd; }

    std::vector<std::pair<int, int>> progress;
    std::function<void()> onFirst;

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_HTTP_PROGRESS && s_pProbe != nullptr) {
            const INT32* pValues = reinterpret_cast<const INT32*>(lParam);
            s_pProbe->progress.push_back({pValues[0], pValues[1]});
            if (s_pProbe->progress.size() == 1 && s_pProbe->onFirst)
                s_pProbe->onFirst();
            return 0;
        }
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    }

    static ProgressProbe* s_pProbe;
    HWND m_hWnd;
};

ProgressProbe* ProgressProbe::s_pProbe = nullptr;

// A client without a proxy, a progress probe, and the downloads' folder, emptied and removed when the test ends.
class DownloadFolderTest : public HttpClientTest {
protected:
    void SetUp() override
    {
        HttpClientTest::SetUp();
        m_client.SetConnection(FALSE, "", 0, "", "");
        ASSERT_NE(nullptr, m_probe.Window());
        char szTemp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, szTemp);
        m_folder = CString(szTemp) + "tavisk-download\\";
        ::CreateDirectoryA(m_folder, nullptr);
    }
    void TearDown() override
    {
        WIN32_FIND_DATAA data;
        HANDLE hFind = ::FindFirstFileA(m_folder + "*", &data);
        if (hFind != INVALID_HANDLE_VALUE) {
            do
                ::DeleteFileA(m_folder + data.cFileName);
            while (::FindNextFileA(hFind, &data));
            ::FindClose(hFind);
        }
        ::RemoveDirectoryA(m_folder);
    }
    CHttpClient m_client;
    ProgressProbe m_probe;
    CString m_folder;
};

// An abort from another thread ends a blocked request at once, as a success with nothing received, and every later
// request of the same client ends at its first check point.
TEST_F(HttpClientTest, AbortEndsARequestBlockedInTheHeader)
{
    REQUIRE_SERVICE();
    CHttpClient client;
    client.SetConnection(FALSE, "", 0, "", "");
    CString answer;
    {
        AbortingThread aborter(&client, 300);
        ASSERT_TRUE(aborter.Started());
        const DWORD dwStart = ::GetTickCount();
        EXPECT_TRUE(client.Request(ServiceUrl("/silent"), &answer, kHttpPost));
        EXPECT_LT(::GetTickCount() - dwStart, 3000u);
    }

    EXPECT_TRUE(client.Request(ServiceUrl("/check?product=X"), &answer, kHttpPost));
    EXPECT_STREQ("", answer);
}

// The same in the body: the service announces 1000 bytes and stops after 5. The aborting thread starts only once the
// body has begun (the download's first progress message), so the abort can only meet the client waiting for the
// rest of the body; the partial file goes.
TEST_F(DownloadFolderTest, AbortEndsADownloadBlockedInTheBody)
{
    REQUIRE_SERVICE();
    std::unique_ptr<AbortingThread> pAborter;
    m_probe.onFirst = [&] { pAborter.reset(new AbortingThread(&m_client, 300)); };
    CString path = m_folder;
    const DWORD dwStart = ::GetTickCount();
    EXPECT_TRUE(m_client.DownloadFile(ServiceUrl("/stall/part.bin"), &path, m_probe.Window(), 1));
    EXPECT_LT(::GetTickCount() - dwStart, 3000u);
    pAborter.reset();
    ASSERT_EQ(2u, m_probe.progress.size()) << "the length, then the 5 bytes that came; never the end";
    EXPECT_EQ(std::make_pair(1000, 0), m_probe.progress[0]);
    EXPECT_EQ(std::make_pair(1000, 5), m_probe.progress[1]);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(path)) << "the partial file is removed";
}

// A length beyond any answer of the service (2,000,000,000 bytes announced, 5 sent) is refused from the header:
// nothing is allocated for it and no body is waited for, so the request ends long before its time limit.
TEST_F(HttpClientTest, BigLengthIsRefusedBeforeTheBody)
{
    REQUIRE_SERVICE();
    CHttpClient client;
    client.SetConnection(FALSE, "", 0, "", "");
    client.SetTimeLimit(10000);
    const DWORD dwStart = ::GetTickCount();
    CString answer = "left over";
    EXPECT_FALSE(client.Request(ServiceUrl("/biglength"), &answer, kHttpPost));
    EXPECT_LT(::GetTickCount() - dwStart, 5000u);
    EXPECT_STREQ("", answer);
    CString error;
    client.GetErrorText(&error);
    EXPECT_STREQ("Error while receiving data\n", error);
}

// A download streams into its file: a file of megabytes that the service sends in pieces a little apart arrives
// whole, although it takes longer in all than the time limit, which only bounds each wait for the next byte.
TEST_F(DownloadFolderTest, SlowSteadyDownloadArrivesWhole)
{
    REQUIRE_SERVICE();
    const DWORD kSilenceLimitMs = 1000;
    m_client.SetTimeLimit(kSilenceLimitMs);
    CString path = m_folder;
    const DWORD dwStart = ::GetTickCount();
    ASSERT_TRUE(m_client.DownloadFile(ServiceUrl("/steady/image.bin"), &path, m_probe.Window(), 1));
    EXPECT_GT(::GetTickCount() - dwStart, kSilenceLimitMs) << "the whole download outlasts the time limit";
    const int nLength = static_cast<int>(updatetest::kSteadyLength);
    ASSERT_FALSE(m_probe.progress.empty());
    EXPECT_EQ(std::make_pair(nLength, 0), m_probe.progress.front());
    EXPECT_EQ(std::make_pair(nLength, nLength), m_probe.progress.back());
    EXPECT_TRUE(updatetest::ServiceFileBytes("image.bin", updatetest::kSteadyLength) ==
                testsupport::ReadBytes(std::string(path)))
        << "the file as the service sent it";
}

// A service that falls silent in the middle of the body ends the download after the time limit with the receive
// error, and the partial file goes; so does one that announced more than any answer of a request may hold.
TEST_F(DownloadFolderTest, SilenceInTheBodyEndsTheDownload)
{
    REQUIRE_SERVICE();
    struct Case {
        const char* path;
        int length;
    };
    static const Case kCases[] = {
        {"/stall/part.bin", 1000},
        {"/biglength/fw.bin", 2000000000},
    };
    m_client.SetTimeLimit(1000);
    for (const Case& c : kCases) {
        m_probe.progress.clear();
        CString path = m_folder;
        const DWORD dwStart = ::GetTickCount();
        EXPECT_FALSE(m_client.DownloadFile(ServiceUrl(c.path), &path, m_probe.Window(), 1)) << c.path;
        const DWORD dwElapsed = ::GetTickCount() - dwStart;
        EXPECT_GE(dwElapsed, 900u) << c.path;
        EXPECT_LT(dwElapsed, 5000u) << c.path;
        ASSERT_EQ(2u, m_probe.progress.size()) << c.path << ": the length, then the 5 bytes that came";
        EXPECT_EQ(std::make_pair(c.length, 0), m_probe.progress[0]) << c.path;
        EXPECT_EQ(std::make_pair(c.length, 5), m_probe.progress[1]) << c.path;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(path)) << c.path << ": the partial file is removed";
        CString error;
        m_client.GetErrorText(&error);
        EXPECT_STREQ("Error while receiving data\n", error) << c.path;
    }
}

// Names go to the name service through the socket's seam: here "UPD.EXAMPLE" is the loopback address, and
// "SLOW.EXAMPLE" is a name service that takes five seconds to know nothing.
BOOL LookupForTest(LPCSTR pszHost, DWORD* pAddress, int* pError)
{
    if (std::string(pszHost) == "UPD.EXAMPLE") {
        *pAddress = 0x0100007F; // 127.0.0.1 in network byte order
        return TRUE;
    }
    if (std::string(pszHost) == "SLOW.EXAMPLE")
        ::Sleep(5000);
    *pError = 11001; // WSAHOST_NOT_FOUND
    return FALSE;
}

TEST_F(HttpClientTest, NameLookupWithinTheLimits)
{
    REQUIRE_SERVICE();
    static const SocketHooks kLookup = {LookupForTest};
    const SocketHooks* pPrevious = SetSocketHooks(&kLookup);
    CString named;
    named.Format("http://upd.example:%d/check?product=CD-R   QZ2160   ", updatetest::ServicePort());
    {
        CHttpClient client;
        client.SetConnection(FALSE, "", 0, "", "");
        CString answer;
        EXPECT_TRUE(client.Request(named, &answer, kHttpPost));
        EXPECT_STREQ("CD-R   QZ2160;1.09;QZ2160-109.ZIP", answer);
    }
    {
        CHttpClient client;
        client.SetConnection(FALSE, "", 0, "", "");
        client.SetTimeLimit(1000);
        const DWORD dwStart = ::GetTickCount();
        CString answer;
        EXPECT_FALSE(client.Request("http://slow.example/check", &answer, kHttpPost));
        EXPECT_LT(::GetTickCount() - dwStart, 3000u) << "the time limit bounds the lookup";
        CString error;
        client.GetErrorText(&error);
        EXPECT_STREQ("Unable to connect!\r\n", error);
    }
    {
        CHttpClient client;
        client.SetConnection(FALSE, "", 0, "", "");
        AbortingThread aborter(&client, 300);
        ASSERT_TRUE(aborter.Started());
        const DWORD dwStart = ::GetTickCount();
        CString answer;
        EXPECT_TRUE(client.Request("http://slow.example/check", &answer, kHttpPost)) << "aborted";
        EXPECT_LT(::GetTickCount() - dwStart, 3000u) << "the abort ends the lookup's wait";
    }
    SetSocketHooks(pPrevious);
}

TEST_F(HttpClientTest, ThroughTinyproxyWithBasicCredentials)
{
    REQUIRE_SERVICE();
    REQUIRE_PROXY();
    struct Case {
        const char* name;
        CString user;
        CString password;
        BOOL result;
        const char* answer;
        const char* error;
    };
    const Case kCases[] = {
        {"right credentials", updatetest::ProxyUser(), updatetest::ProxyPassword(), TRUE,
         "CD-R   QZ2160;1.09;QZ2160-109.ZIP", ""},
        // tinyproxy turns down a wrong password with 401 and missing credentials with 407.
        {"wrong password", updatetest::ProxyUser(), "wrong", FALSE, "", " 401 Unauthorized"},
        {"no credentials", "", "", FALSE, "", " 407 Proxy Authentication Required"},
    };
    for (const Case& c : kCases) {
        CHttpClient client;
        client.SetConnection(TRUE, "127.0.0.1", updatetest::ProxyPort(), c.user, c.password);
        CString answer;
        EXPECT_EQ(c.result, client.Request(ServiceUrl("/check?product=CD-R   QZ2160   "), &answer, kHttpPost))
            << c.name;
        EXPECT_STREQ(c.answer, answer) << c.name;
        CString error;
        client.GetErrorText(&error);
        EXPECT_EQ(Show(c.error), Show(error)) << c.name;
    }
}

TEST_F(DownloadFolderTest, DownloadIntoAFolder)
{
    REQUIRE_SERVICE();
    CString path = m_folder;
    ASSERT_TRUE(m_client.DownloadFile(ServiceUrl("/echo/fw 1.bin"), &path, m_probe.Window(), 1));
    ASSERT_GE(m_probe.progress.size(), 3u);
    const int nTotal = m_probe.progress.front().first;
    EXPECT_GT(nTotal, 0);
    EXPECT_EQ(0, m_probe.progress.front().second) << "first the length alone";
    EXPECT_EQ(std::make_pair(nTotal, nTotal), m_probe.progress.back());
    EXPECT_STREQ(m_folder + "fw 1.bin", path);
    FILE* pFile = std::fopen(path, "rb");
    ASSERT_NE(nullptr, pFile);
    char szStart[64] = {};
    const size_t nRead = std::fread(szStart, 1, sizeof(szStart) - 1, pFile);
    std::fclose(pFile);
    EXPECT_EQ(0, std::string(szStart, nRead).find("GET /echo/fw%201.bin HTTP/1.0\r\n"));

    CString cut = m_folder;
    EXPECT_FALSE(m_client.DownloadFile(ServiceUrl("/cut/part.bin"), &cut, nullptr, 1));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(cut)) << "a partial file is removed";

    CString none = m_folder;
    EXPECT_FALSE(m_client.DownloadFile(ServiceUrl("/echo/"), &none, nullptr, 1));
    CString error;
    m_client.GetErrorText(&error);
    EXPECT_NE(-1, error.Find("No file to download\n"));
}

} // namespace
