// src/framework/File.cpp
#include "framework/File.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

namespace {

DWORD AccessFromFlags(UINT flags)
{
    switch (flags & 3) {
    case CFile::modeWrite:
        return GENERIC_WRITE;
    case CFile::modeReadWrite:
        return GENERIC_READ | GENERIC_WRITE;
    default:
        return GENERIC_READ;
    }
}

DWORD ShareFromFlags(UINT flags)
{
    switch (flags & 0x70) {
    case CFile::shareDenyWrite:
        return FILE_SHARE_READ;
    case CFile::shareDenyRead:
        return FILE_SHARE_WRITE;
    case CFile::shareDenyNone:
        return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default:
        return 0;
    }
}

DWORD CreationFromFlags(UINT flags)
{
    if (flags & CFile::modeCreate)
        return (flags & CFile::modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    return OPEN_EXISTING;
}

DWORD AttributesFromFlags(UINT flags)
{
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (flags & CFile::osNoBuffer)
        attributes |= FILE_FLAG_NO_BUFFERING;
    if (flags & CFile::osWriteThrough)
        attributes |= FILE_FLAG_WRITE_THROUGH;
    if (flags & CFile::osRandomAccess)
        attributes |= FILE_FLAG_RANDOM_ACCESS;
    if (flags & CFile::osSequentialScan)
        attributes |= FILE_FLAG_SEQUENTIAL_SCAN;
    return attributes;
}

} // namespace

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}

CFile::CFile(HANDLE hFile) : m_hFile(hFile), m_bCloseOnDelete(FALSE) {}

CFile::CFile(LPCTSTR lpszFileName, UINT nOpenFlags) : CFile()
{
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error))
        throw error;
}

// A destructor must not throw: an open file is closed with Abort.
CFile::~CFile()
{
    if (m_hFile != hFileNull && m_bCloseOnDelete)
        Abort();
}

// Text and binary flags make no difference here (see CStdioFile). The handle is inheritable unless
// modeNoInherit is given, as in the class library.
BOOL CFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    Abort();
    if (lpszFileName == nullptr || *lpszFileName == '\0') {
        if (pError != nullptr)
            *pError = CFileException(CFileException::badPath, ERROR_INVALID_NAME, lpszFileName);
        return FALSE;
    }
    SECURITY_ATTRIBUTES security = {sizeof(security), nullptr, (nOpenFlags & modeNoInherit) ? FALSE : TRUE};
    HANDLE handle = CreateFileA(lpszFileName, AccessFromFlags(nOpenFlags), ShareFromFlags(nOpenFlags), &security,
                                CreationFromFlags(nOpenFlags), AttributesFromFlags(nOpenFlags), nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        if (pError != nullptr) {
            const LONG error = static_cast<LONG>(GetLastError());
            *pError = CFileException(CFileException::OsErrorToException(error), error, lpszFileName);
        }
        return FALSE;
    }
    m_hFile = handle;
    m_bCloseOnDelete = TRUE;
    m_strFileName = lpszFileName;
    return TRUE;
}

// Returns the number of bytes read; 0 at the end of the file.
UINT CFile::Read(void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return 0;
    if (lpBuf == nullptr)
        AfxThrowInvalidArgException();
    DWORD read = 0;
    if (!ReadFile(m_hFile, lpBuf, nCount, &read, nullptr))
        ThrowLastError();
    return read;
}

// A short write (a full disk) throws diskFull.
void CFile::Write(const void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return;
    if (lpBuf == nullptr)
        AfxThrowInvalidArgException();
    DWORD written = 0;
    if (!WriteFile(m_hFile, lpBuf, nCount, &written, nullptr))
        ThrowLastError();
    if (written != nCount)
        AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
}

// SetFilePointer with a high part rather than SetFilePointerEx, which Windows 98 lacks.
ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom)
{
    if (nFrom > end)
        AfxThrowInvalidArgException();
    LONG high = static_cast<LONG>(lOff >> 32);
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(m_hFile, static_cast<LONG>(lOff & 0xFFFFFFFF), &high, nFrom);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        ThrowLastError();
    return (static_cast<ULONGLONG>(static_cast<DWORD>(high)) << 32) | low;
}

ULONGLONG CFile::GetLength() const
{
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(m_hFile, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        ThrowLastError();
    return (static_cast<ULONGLONG>(high) << 32) | low;
}

void CFile::SetLength(ULONGLONG dwNewLen)
{
    Seek(static_cast<LONGLONG>(dwNewLen), begin);
    if (!SetEndOfFile(m_hFile))
        ThrowLastError();
}

ULONGLONG CFile::GetPosition() const
{
    LONG high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(m_hFile, 0, &high, FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        ThrowLastError();
    return (static_cast<ULONGLONG>(static_cast<DWORD>(high)) << 32) | low;
}

void CFile::Flush()
{
    if (m_hFile != hFileNull && !FlushFileBuffers(m_hFile))
        ThrowLastError();
}

void CFile::Close()
{
    BOOL ok = TRUE;
    if (m_hFile != hFileNull && m_hFile != nullptr)
        ok = CloseHandle(m_hFile);
    const LONG error = ok ? 0 : static_cast<LONG>(GetLastError());
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    if (!ok)
        AfxThrowFileException(CFileException::OsErrorToException(error), error, m_strFileName);
}

void CFile::Abort()
{
    if (m_hFile != hFileNull && m_hFile != nullptr)
        CloseHandle(m_hFile);
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
}

// The part after the last backslash or slash.
CString CFile::GetFileName() const
{
    const int slash = std::max(m_strFileName.ReverseFind('\\'), m_strFileName.ReverseFind('/'));
    return m_strFileName.Mid(slash + 1);
}

void CFile::ThrowLastError() const
{
    const LONG error = static_cast<LONG>(GetLastError());
    AfxThrowFileException(CFileException::OsErrorToException(error), error, m_strFileName);
}

CStdioFile::CStdioFile() : m_pStream(nullptr) {}

CStdioFile::CStdioFile(FILE* pOpenStream) : CFile(hFileNull), m_pStream(pOpenStream)
{
    if (pOpenStream == nullptr)
        AfxThrowInvalidArgException();
    m_hFile = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(pOpenStream)));
}

CStdioFile::CStdioFile(LPCTSTR lpszFileName, UINT nOpenFlags) : CStdioFile()
{
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error))
        throw error;
}

CStdioFile::~CStdioFile()
{
    if (m_pStream != nullptr && m_bCloseOnDelete)
        Abort();
}

// Opens the file with CreateFile (so share and create flags work as for CFile), then puts a C stream on the
// handle. typeBinary gives a binary stream, anything else a text stream (CR LF <-> "\n").
BOOL CStdioFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    Abort();
    if (!CFile::Open(lpszFileName, nOpenFlags & ~static_cast<UINT>(typeText | typeBinary), pError))
        return FALSE;

    int fdFlags = _O_RDONLY;
    const char* mode = "r";
    switch (nOpenFlags & 3) {
    case modeWrite:
        fdFlags = _O_WRONLY;
        mode = "w";
        break;
    case modeReadWrite:
        fdFlags = _O_RDWR;
        mode = "r+";
        break;
    default:
        break;
    }
    CString fullMode(mode);
    if (nOpenFlags & typeBinary) {
        fdFlags |= _O_BINARY;
        fullMode += 'b';
    } else {
        fdFlags |= _O_TEXT;
        fullMode += 't';
    }

    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(m_hFile), fdFlags);
    if (fd == -1) {
        CFile::Abort();
        if (pError != nullptr)
            *pError = CFileException(CFileException::tooManyOpenFiles, -1, lpszFileName);
        return FALSE;
    }
    m_pStream = _fdopen(fd, fullMode);
    if (m_pStream == nullptr) {
        _close(fd);
        m_hFile = hFileNull;
        m_bCloseOnDelete = FALSE;
        if (pError != nullptr)
            *pError = CFileException(CFileException::genericException, -1, lpszFileName);
        return FALSE;
    }
    return TRUE;
}

UINT CStdioFile::Read(void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return 0;
    if (lpBuf == nullptr)
        AfxThrowInvalidArgException();
    const size_t read = fread(lpBuf, 1, nCount, m_pStream);
    if (read == 0 && ferror(m_pStream))
        ThrowStreamError();
    return static_cast<UINT>(read);
}

void CStdioFile::Write(const void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return;
    if (lpBuf == nullptr)
        AfxThrowInvalidArgException();
    if (fwrite(lpBuf, 1, nCount, m_pStream) != nCount)
        ThrowStreamError();
}

ULONGLONG CStdioFile::Seek(LONGLONG lOff, UINT nFrom)
{
    static const int kOrigins[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (nFrom > end)
        AfxThrowInvalidArgException();
    if (fseeko64(m_pStream, lOff, kOrigins[nFrom]) != 0)
        AfxThrowFileException(CFileException::badSeek, _doserrno, m_strFileName);
    return GetPosition();
}

ULONGLONG CStdioFile::GetLength() const
{
    const long long position = ftello64(m_pStream);
    if (position < 0 || fseeko64(m_pStream, 0, SEEK_END) != 0)
        AfxThrowFileException(CFileException::badSeek, _doserrno, m_strFileName);
    const long long length = ftello64(m_pStream);
    if (length < 0 || fseeko64(m_pStream, position, SEEK_SET) != 0)
        AfxThrowFileException(CFileException::badSeek, _doserrno, m_strFileName);
    return static_cast<ULONGLONG>(length);
}

ULONGLONG CStdioFile::GetPosition() const
{
    const long long position = ftello64(m_pStream);
    if (position < 0)
        AfxThrowFileException(CFileException::badSeek, _doserrno, m_strFileName);
    return static_cast<ULONGLONG>(position);
}

void CStdioFile::Flush()
{
    if (m_pStream != nullptr && fflush(m_pStream) != 0)
        ThrowStreamError();
}

// fclose also closes the descriptor and the Win32 handle under it.
void CStdioFile::Close()
{
    int result = 0;
    if (m_pStream != nullptr)
        result = fclose(m_pStream);
    m_pStream = nullptr;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    if (result != 0)
        AfxThrowFileException(CFileException::diskFull, _doserrno, m_strFileName);
}

void CStdioFile::Abort()
{
    if (m_pStream != nullptr && m_bCloseOnDelete)
        fclose(m_pStream);
    m_pStream = nullptr;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
}

void CStdioFile::WriteString(LPCTSTR lpsz)
{
    if (lpsz == nullptr)
        AfxThrowInvalidArgException();
    if (fputs(lpsz, m_pStream) == EOF)
        ThrowStreamError();
}

BOOL CStdioFile::ReadString(CString& rString)
{
    rString.Empty();
    char chunk[256];
    bool readAny = false;
    for (;;) {
        if (fgets(chunk, sizeof(chunk), m_pStream) == nullptr) {
            if (ferror(m_pStream)) {
                clearerr(m_pStream);
                ThrowStreamError();
            }
            break;
        }
        readAny = true;
        rString += chunk;
        const int length = rString.GetLength();
        if (length > 0 && rString[length - 1] == '\n')
            break;
    }
    int length = rString.GetLength();
    if (length > 0 && rString[length - 1] == '\n')
        --length;
    if (length > 0 && rString[length - 1] == '\r')
        --length;
    if (length != rString.GetLength())
        rString = rString.Left(length);
    return readAny;
}

void CStdioFile::ThrowStreamError() const
{
    const LONG error = _doserrno;
    AfxThrowFileException(error != 0 ? CFileException::OsErrorToException(error) : CFileException::genericException,
                          error, m_strFileName);
}
