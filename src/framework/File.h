// src/framework/File.h
// CFile (a Win32 file handle) and CStdioFile (a C stream), with the class library's interface. Failures of
// Read, Write, Seek, Flush and Close throw CFileException; Open reports through its pError argument instead.
#ifndef TAVISK_FRAMEWORK_FILE_H
#define TAVISK_FRAMEWORK_FILE_H

#include "framework/Exceptions.h"
#include "framework/String.h"

#include <cstdio>

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x00000,
        modeWrite = 0x00001,
        modeReadWrite = 0x00002,
        shareCompat = 0x00000,
        shareExclusive = 0x00010,
        shareDenyWrite = 0x00020,
        shareDenyRead = 0x00030,
        shareDenyNone = 0x00040,
        modeNoInherit = 0x00080,
        modeCreate = 0x01000,
        modeNoTruncate = 0x02000,
        typeText = 0x04000,
        typeBinary = 0x08000,
        osNoBuffer = 0x10000,
        osWriteThrough = 0x20000,
        osRandomAccess = 0x40000,
        osSequentialScan = 0x80000,
    };
    enum SeekPosition : UINT {
        begin = 0,
        current = 1,
        end = 2
    };

    static const HANDLE hFileNull;

    CFile();
    // Wraps an open handle without taking ownership (Close does close it).
    explicit CFile(HANDLE hFile);
    // Opens or throws CFileException.
    CFile(LPCTSTR lpszFileName, UINT nOpenFlags);
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    virtual ~CFile();

    virtual BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual ULONGLONG GetPosition() const;
    virtual void Flush();
    virtual void Close();
    // Closes without throwing.
    virtual void Abort();

    CString GetFilePath() const { return m_strFileName; }
    CString GetFileName() const;
    operator HANDLE() const { return m_hFile; }

    HANDLE m_hFile;

protected:
    [[noreturn]] void ThrowLastError() const;

    CString m_strFileName;
    BOOL m_bCloseOnDelete;
};

class CStdioFile : public CFile {
public:
    CStdioFile();
    // Wraps an open stream without taking ownership.
    explicit CStdioFile(FILE* pOpenStream);
    CStdioFile(LPCTSTR lpszFileName, UINT nOpenFlags);
    ~CStdioFile() override;

    BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetLength() const override;
    ULONGLONG GetPosition() const override;
    void Flush() override;
    void Close() override;
    void Abort() override;

    // Writes the text as it is; in text mode each "\n" becomes CR LF.
    virtual void WriteString(LPCTSTR lpsz);
    // Reads one line of any length into rString without its line end ("\n" or "\r\n"). FALSE at the end of the
    // file when nothing was read; an empty line gives TRUE and an empty string.
    virtual BOOL ReadString(CString& rString);

    FILE* m_pStream;

private:
    [[noreturn]] void ThrowStreamError() const;
};

#endif
