// src/framework/Exceptions.h
// The layer's exceptions. They are thrown by value and caught by const reference:
//     throw CInvalidArgException();   ...   catch (const CException& e) { ... }
// Every Win32 callback boundary (window and dialog procedures, thread entries) stops them; see
// AfxDescribeCurrentException and AfxReportException.
#ifndef TAVISK_FRAMEWORK_EXCEPTIONS_H
#define TAVISK_FRAMEWORK_EXCEPTIONS_H

#include "framework/String.h"

#include <exception>

class CException : public std::exception {
public:
    // Copies the message (truncated, NUL-terminated) into lpszError; FALSE when no buffer was given.
    virtual BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const;
    virtual CString GetErrorMessage() const;
    const char* what() const noexcept override;

private:
    mutable CString m_what;
};

class CInvalidArgException : public CException {
public:
    CString GetErrorMessage() const override;
    using CException::GetErrorMessage;
};

class CMemoryException : public CException {
public:
    CString GetErrorMessage() const override;
    using CException::GetErrorMessage;
};

class CFileException : public CException {
public:
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    explicit CFileException(int cause = none, LONG lOsError = -1, LPCTSTR lpszFileName = nullptr);

    CString GetErrorMessage() const override;
    using CException::GetErrorMessage;

    // Maps a Win32 error code to one of the causes above.
    static int OsErrorToException(LONG lOsError);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowInvalidArgException();
[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1, LPCTSTR lpszFileName = nullptr);

// A description of the exception being handled; call only inside a catch block (catch (...) included).
CString AfxDescribeCurrentException();

// Where an exception stopped at a boundary goes. The default reporter writes to the debugger output; tests
// install a table that records.
struct ExceptionReportHooks {
    void (*pfnReport)(LPCTSTR pszWhere, LPCTSTR pszMessage);
};

// Installs a hook table (kept by pointer); null restores the debugger output, and so does a null entry. Returns
// the table that was in use.
const ExceptionReportHooks* SetExceptionReportHooks(const ExceptionReportHooks* pHooks);
void AfxReportException(LPCTSTR pszWhere, LPCTSTR pszMessage);

#endif
