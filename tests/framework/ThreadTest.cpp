// tests/framework/ThreadTest.cpp — AfxBeginThread: normal end, exceptions stopped at the thread entry
#include "framework/Array.h"
#include "framework/Exceptions.h"
#include "framework/Thread.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

CString g_reportedWhere;
CString g_reportedMessage;
HANDLE g_reported = nullptr;

void RecordReport(LPCTSTR pszWhere, LPCTSTR pszMessage)
{
    g_reportedWhere = pszWhere;
    g_reportedMessage = pszMessage;
    SetEvent(g_reported);
}

UINT __cdecl ReturnParam(LPVOID pParam)
{
    return static_cast<UINT>(reinterpret_cast<UINT_PTR>(pParam));
}

UINT __cdecl ThrowInvalidArg(LPVOID)
{
    CArray<int> empty;
    return static_cast<UINT>(empty.GetAt(0));
}

UINT __cdecl ThrowStd(LPVOID)
{
    throw std::runtime_error("worker failed");
}

UINT __cdecl ThrowInt(LPVOID)
{
    throw 42;
}

UINT __cdecl SetEventAndReturn(LPVOID pParam)
{
    SetEvent(static_cast<HANDLE>(pParam));
    return 0;
}

class ThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_reported = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        g_reportedWhere.Empty();
        g_reportedMessage.Empty();
        m_pPrevious = SetExceptionReportHooks(&kRecordReport);
    }
    void TearDown() override
    {
        SetExceptionReportHooks(m_pPrevious);
        CloseHandle(g_reported);
    }
    // Runs the procedure on a thread that the test keeps (no auto-delete) and returns its exit code.
    DWORD RunKept(AFX_THREADPROC proc, LPVOID param)
    {
        CWinThread* thread = AfxBeginThread(proc, param, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
        EXPECT_NE(nullptr, thread);
        if (thread == nullptr)
            return 0;
        thread->m_bAutoDelete = FALSE;
        thread->ResumeThread();
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread->m_hThread, 10000));
        DWORD code = 0;
        GetExitCodeThread(thread->m_hThread, &code);
        delete thread;
        return code;
    }

    static constexpr ExceptionReportHooks kRecordReport = {&RecordReport};
    const ExceptionReportHooks* m_pPrevious = nullptr;
};

TEST_F(ThreadTest, ReturnsTheProcedureResult)
{
    EXPECT_EQ(1234u, RunKept(ReturnParam, reinterpret_cast<LPVOID>(1234)));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(g_reported, 0));
}

TEST_F(ThreadTest, ExceptionsStopAtTheThreadEntry)
{
    struct Case {
        AFX_THREADPROC proc;
        const char* message;
    } const cases[] = {
        {ThrowInvalidArg, "Encountered an improper argument."},
        {ThrowStd, "worker failed"},
        {ThrowInt, "An unknown exception occurred."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ResetEvent(g_reported);
        EXPECT_EQ(CWinThread::kThreadExceptionExitCode, RunKept(c.proc, nullptr));
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_reported, 0));
        EXPECT_STREQ("worker thread", g_reportedWhere);
        EXPECT_STREQ(c.message, g_reportedMessage);
    }
}

// The default: the thread runs at once and its object deletes itself.
TEST_F(ThreadTest, AutoDeleteThreadRuns)
{
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_NE(nullptr, AfxBeginThread(SetEventAndReturn, done));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done, 10000));
    CloseHandle(done);
}

} // namespace
