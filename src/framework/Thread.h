// src/framework/Thread.h
// Worker threads in the class library's form: AfxBeginThread runs a function on a new thread (started with
// _beginthreadex, so the C runtime is set up for it) and returns its CWinThread. By default the CWinThread deletes
// itself when the thread ends, so the caller must not keep the pointer beyond what it knows of the thread's life;
// start with CREATE_SUSPENDED and clear m_bAutoDelete to keep the object (and its handle) and delete it yourself.
//
// No exception leaves a thread: every one is stopped at the thread entry, passed to AfxReportException, and the
// thread ends with exit code kThreadExceptionExitCode.
#ifndef TAVISK_FRAMEWORK_THREAD_H
#define TAVISK_FRAMEWORK_THREAD_H

#include <windows.h>

using AFX_THREADPROC = UINT(__cdecl*)(LPVOID);

class CWinThread {
public:
    static constexpr DWORD kThreadExceptionExitCode = 0xFFFFFFFF;

    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    virtual ~CWinThread();

    // Starts the thread (suspended when dwCreateFlags has CREATE_SUSPENDED). FALSE when it could not be created.
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
    int GetThreadPriority() const { return ::GetThreadPriority(m_hThread); }
    BOOL SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }
    DWORD SuspendThread() { return ::SuspendThread(m_hThread); }
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
    operator HANDLE() const { return m_hThread; }

    HANDLE m_hThread;
    DWORD m_nThreadID;
    BOOL m_bAutoDelete;
    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;

private:
    static unsigned __stdcall ThreadEntry(void* pThread);
};

// null when the thread could not be created.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

#endif
