// src/framework/Thread.cpp
#include "framework/Thread.h"

#include "framework/Exceptions.h"

#include <process.h>

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_hThread(nullptr), m_nThreadID(0), m_bAutoDelete(TRUE), m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread != nullptr)
        CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    unsigned threadId = 0;
    const uintptr_t handle = _beginthreadex(lpSecurityAttrs, nStackSize, &CWinThread::ThreadEntry, this,
                                            dwCreateFlags & CREATE_SUSPENDED, &threadId);
    if (handle == 0)
        return FALSE;
    m_hThread = reinterpret_cast<HANDLE>(handle);
    m_nThreadID = threadId;
    return TRUE;
}

// The boundary of every worker: DWARF unwinding cannot leave the thread through the system's frames, so an
// exception that reached here would end the process. It is reported instead and the thread ends with
// kThreadExceptionExitCode. With m_bAutoDelete the object is deleted on the way out.
unsigned __stdcall CWinThread::ThreadEntry(void* pThread)
{
    CWinThread* thread = static_cast<CWinThread*>(pThread);
    DWORD exitCode = kThreadExceptionExitCode;
    try {
        exitCode = thread->m_pfnThreadProc(thread->m_pThreadParams);
    } catch (...) {
        try {
            AfxReportException("worker thread", AfxDescribeCurrentException());
        } catch (...) {
            OutputDebugStringA("worker thread: exception\n");
        }
    }
    if (thread->m_bAutoDelete)
        delete thread;
    return exitCode;
}

// The thread starts suspended so that the priority is set before it runs, then resumes unless the caller asked
// for CREATE_SUSPENDED.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (pfnThreadProc == nullptr)
        AfxThrowInvalidArgException();
    CWinThread* thread = new CWinThread(pfnThreadProc, pParam);
    if (!thread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(nPriority);
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0)
        thread->ResumeThread();
    return thread;
}
