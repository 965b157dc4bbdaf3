// src/framework/Exceptions.cpp
#include "framework/Exceptions.h"

#include <algorithm>
#include <cstring>

BOOL CException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    if (pnHelpContext != nullptr)
        *pnHelpContext = 0;
    if (lpszError == nullptr || nMaxError == 0)
        return FALSE;
    const CString message = GetErrorMessage();
    const size_t count = std::min(static_cast<size_t>(message.GetLength()), static_cast<size_t>(nMaxError - 1));
    std::memcpy(lpszError, message.GetString(), count);
    lpszError[count] = '\0';
    return TRUE;
}

CString CException::GetErrorMessage() const
{
    return "An unknown error occurred.";
}

// The text is kept in the object, so the pointer lives as long as the exception.
const char* CException::what() const noexcept
{
    try {
        m_what = GetErrorMessage();
        return m_what;
    } catch (...) {
        return "exception";
    }
}

CString CInvalidArgException::GetErrorMessage() const
{
    return "Encountered an improper argument.";
}

CString CMemoryException::GetErrorMessage() const
{
    return "Out of memory.";
}

namespace {

// Message per cause; %1 is the file name.
const char* const kFileCauseTexts[] = {
    "No error occurred.",                                            // none
    "An unexpected error occurred while accessing %1.",              // genericException
    "%1 was not found.",                                             // fileNotFound
    "%1 contains an incorrect path.",                                // badPath
    "%1 could not be opened because there are too many open files.", // tooManyOpenFiles
    "Access to %1 was denied.",                                      // accessDenied
    "An incorrect file handle was associated with %1.",              // invalidFile
    "%1 could not be removed because it is the current directory.",  // removeCurrentDir
    "%1 could not be created because the directory is full.",        // directoryFull
    "Seek failed on %1.",                                            // badSeek
    "A hardware I/O error was reported while accessing %1.",         // hardIO
    "A sharing violation occurred while accessing %1.",              // sharingViolation
    "A locking violation occurred while accessing %1.",              // lockViolation
    "Disk full while accessing %1.",                                 // diskFull
    "An attempt was made to access %1 past its end.",                // endOfFile
};

struct OsErrorCause {
    LONG osError;
    int cause;
};

const OsErrorCause kOsErrorCauses[] = {
    {ERROR_FILE_NOT_FOUND, CFileException::fileNotFound},
    {ERROR_PATH_NOT_FOUND, CFileException::badPath},
    {ERROR_TOO_MANY_OPEN_FILES, CFileException::tooManyOpenFiles},
    {ERROR_ACCESS_DENIED, CFileException::accessDenied},
    {ERROR_INVALID_HANDLE, CFileException::invalidFile},
    {ERROR_BAD_FORMAT, CFileException::invalidFile},
    {ERROR_INVALID_ACCESS, CFileException::accessDenied},
    {ERROR_INVALID_DRIVE, CFileException::badPath},
    {ERROR_CURRENT_DIRECTORY, CFileException::removeCurrentDir},
    {ERROR_NOT_SAME_DEVICE, CFileException::badPath},
    {ERROR_NO_MORE_FILES, CFileException::fileNotFound},
    {ERROR_WRITE_PROTECT, CFileException::accessDenied},
    {ERROR_BAD_UNIT, CFileException::hardIO},
    {ERROR_NOT_READY, CFileException::hardIO},
    {ERROR_CRC, CFileException::hardIO},
    {ERROR_SEEK, CFileException::badSeek},
    {ERROR_SECTOR_NOT_FOUND, CFileException::badSeek},
    {ERROR_WRITE_FAULT, CFileException::accessDenied},
    {ERROR_READ_FAULT, CFileException::badSeek},
    {ERROR_SHARING_VIOLATION, CFileException::sharingViolation},
    {ERROR_LOCK_VIOLATION, CFileException::lockViolation},
    {ERROR_HANDLE_EOF, CFileException::endOfFile},
    {ERROR_HANDLE_DISK_FULL, CFileException::diskFull},
    {ERROR_BAD_NETPATH, CFileException::badPath},
    {ERROR_NETWORK_ACCESS_DENIED, CFileException::accessDenied},
    {ERROR_BAD_NET_NAME, CFileException::badPath},
    {ERROR_FILE_EXISTS, CFileException::accessDenied},
    {ERROR_CANNOT_MAKE, CFileException::accessDenied},
    {ERROR_DISK_FULL, CFileException::diskFull},
    {ERROR_INVALID_NAME, CFileException::badPath},
    {ERROR_NEGATIVE_SEEK, CFileException::badSeek},
    {ERROR_SEEK_ON_DEVICE, CFileException::badSeek},
    {ERROR_DIR_NOT_EMPTY, CFileException::removeCurrentDir},
    {ERROR_BAD_PATHNAME, CFileException::badPath},
    {ERROR_LOCK_FAILED, CFileException::lockViolation},
    {ERROR_BUSY, CFileException::accessDenied},
    {ERROR_ALREADY_EXISTS, CFileException::accessDenied},
    {ERROR_FILENAME_EXCED_RANGE, CFileException::badPath},
    {ERROR_DIRECTORY, CFileException::badPath},
    {ERROR_OPERATION_ABORTED, CFileException::hardIO},
};

void DefaultExceptionReporter(LPCTSTR pszWhere, LPCTSTR pszMessage)
{
    CString line;
    line.Format("%s: %s\n", pszWhere != nullptr ? pszWhere : "", pszMessage != nullptr ? pszMessage : "");
    OutputDebugStringA(line);
}

// Read on every report, from any thread; a test program installs its hooks before the code under test runs.
const ExceptionReportHooks* volatile g_pReportHooks = nullptr;

} // namespace

CFileException::CFileException(int cause, LONG lOsError, LPCTSTR lpszFileName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName)
{
}

CString CFileException::GetErrorMessage() const
{
    const int count = static_cast<int>(sizeof(kFileCauseTexts) / sizeof(kFileCauseTexts[0]));
    CString text(kFileCauseTexts[m_cause >= 0 && m_cause < count ? m_cause : genericException]);
    text.Replace("%1", m_strFileName.IsEmpty() ? "an unnamed file" : m_strFileName.GetString());
    return text;
}

// Causes not in the table are genericException.
int CFileException::OsErrorToException(LONG lOsError)
{
    for (const OsErrorCause& entry : kOsErrorCauses) {
        if (entry.osError == lOsError)
            return entry.cause;
    }
    return lOsError == 0 ? none : genericException;
}

void AfxThrowInvalidArgException()
{
    throw CInvalidArgException();
}

void AfxThrowMemoryException()
{
    throw CMemoryException();
}

void AfxThrowFileException(int cause, LONG lOsError, LPCTSTR lpszFileName)
{
    throw CFileException(cause, lOsError, lpszFileName);
}

CString AfxDescribeCurrentException()
{
    if (!std::current_exception())
        return "No exception.";
    try {
        throw;
    } catch (const CException& e) {
        return e.GetErrorMessage();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "An unknown exception occurred.";
    }
}

const ExceptionReportHooks* SetExceptionReportHooks(const ExceptionReportHooks* pHooks)
{
    const ExceptionReportHooks* pPrevious = g_pReportHooks;
    g_pReportHooks = pHooks;
    return pPrevious;
}

// Never throws: it runs inside the catch blocks of the boundaries.
void AfxReportException(LPCTSTR pszWhere, LPCTSTR pszMessage)
{
    try {
        const ExceptionReportHooks* pHooks = g_pReportHooks;
        if (pHooks != nullptr && pHooks->pfnReport != nullptr)
            pHooks->pfnReport(pszWhere, pszMessage);
        else
            DefaultExceptionReporter(pszWhere, pszMessage);
    } catch (...) {
        OutputDebugStringA("exception reporter failed\n");
    }
}
