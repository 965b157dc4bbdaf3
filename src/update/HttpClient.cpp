// src/update/HttpClient.cpp
#include "update/HttpClient.h"

#include "framework/Base64.h"
#include "framework/Exceptions.h"
#include "framework/File.h"
#include "framework/MessageBox.h"
#include "framework/Socket.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const char kUnableToConnect[] = "Unable to connect!\r\n";
const char kOnlyHttp[] = "Only HTTP protocol supported";
const char kSendFailed[] = "Failed to send message to socket\n";
const char kReceiveFailed[] = "Error while receiving data\n";
const char kNoFileToDownload[] = "No file to download\n";
const char kCreateFileFailed[] = "Failed to create file";
const char kWriteFileFailed[] = "Failed to write file\n";
const char kRemoveFileFailed[] = "Error while removing file";
const char kOverwriteQuestion[] = "\nThe file already exists on this location.\nDo you wish to overwrite?";
const char kProgramCaption[] = "Tavisk";
const char kContentLength[] = "Content-Length: ";
const char kHeaderEnd[] = "\r\n\r\n";

bool FileExists(const CString& strPath)
{
    return ::GetFileAttributesA(strPath) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

const CHttpClient::ExchangeLimits CHttpClient::kRequestLimits = {kLimitWhole, kMaxBodyLength};
const CHttpClient::ExchangeLimits CHttpClient::kDownloadLimits = {kLimitSilence, INT_MAX};

CHttpClient::CHttpClient()
    : m_bAbort(FALSE), m_bUseProxy(FALSE), m_nProxyPort(0xFFFFFFFF), m_bErrorFlag(FALSE),
      m_dwTimeLimitMs(kDefaultTimeLimitMs)
{
}

CHttpClient::~CHttpClient()
{
    Close();
}

void CHttpClient::SetConnection(BOOL bUseProxy, const CString& strProxyHost, UINT nProxyPort,
                                const CString& strProxyUser, const CString& strProxyPassword)
{
    m_bUseProxy = bUseProxy;
    m_strProxyHost = strProxyHost;
    m_nProxyPort = nProxyPort;
    m_strProxyUser = strProxyUser;
    m_strProxyPassword = strProxyPassword;
}

BOOL CHttpClient::TakeErrorFlag()
{
    const BOOL bFlag = m_bErrorFlag;
    m_bErrorFlag = FALSE;
    return bFlag;
}

BOOL CHttpClient::Close()
{
    if (m_pSocket) {
        m_pSocket->Close();
        m_pSocket.reset();
    }
    return TRUE;
}

BOOL CHttpClient::CloseAndReportAbort()
{
    Close();
    return IsAborted();
}

// Blanks become "%20". Scheme, host and port come from an upper-case copy, so the host travels in upper case;
// the path keeps its letter case. The port is looked for only before the path's first '/', so a ':' in the path
// or the query is left alone. Without a port the port is 80; "host:" without digits gives port 0.
HttpUrlParts CHttpClient::ParseUrl(const CString& strUrl)
{
    HttpUrlParts parts;
    CString strEscaped = strUrl;
    strEscaped.Replace(" ", "%20");
    CString strUpper = strEscaped;
    strUpper.MakeUpper();

    CString strRest;
    const int nSchemeEnd = strUpper.Find("://");
    if (nSchemeEnd >= 0) {
        parts.scheme = strUpper.Left(nSchemeEnd);
        strRest = strUpper.Mid(nSchemeEnd + 3);
    } else {
        parts.scheme = "HTTP";
        strRest = strUpper;
    }

    const int nSlash = strRest.Find('/');
    const CString strAuthority = nSlash >= 0 ? strRest.Left(nSlash) : strRest;
    const int nPathLength = nSlash >= 0 ? strRest.GetLength() - nSlash : 0;
    const int nColon = strAuthority.Find(':');
    if (nColon >= 0) {
        parts.host = strAuthority.Left(nColon);
        parts.port = std::atoi(strAuthority.Mid(nColon + 1));
    } else {
        parts.host = strAuthority;
        parts.port = kDefaultPort;
    }
    parts.path = strEscaped.Right(nPathLength);
    if (parts.path.IsEmpty())
        parts.path = "/";
    return parts;
}

// GET sends the path with its query; POST sends the path before the first '?' and the text after it as the body
// (a path without '?' is sent as it is, with an empty body). Through a proxy the target is absolute, and the
// host names a port other than 80, so that the proxy reaches the right one.
void CHttpClient::BuildRequest(const HttpUrlParts& url, int nMethod, CString pieces[], int& nPieces) const
{
    const bool bPost = nMethod == kHttpPost;
    CString strTarget = url.path;
    CString strBody;
    if (bPost) {
        const int nQuery = url.path.Find('?');
        if (nQuery >= 0) {
            strTarget = url.path.Left(nQuery);
            strBody = url.path.Mid(nQuery + 1);
        }
    }
    CString strHost = url.host;
    if (m_bUseProxy) {
        if (url.port != kDefaultPort)
            strHost.AppendFormat(":%d", url.port);
        strTarget = "http://" + strHost + strTarget;
    }

    nPieces = 0;
    pieces[nPieces++] = bPost ? "POST " : "GET ";
    pieces[nPieces++] = strTarget;
    pieces[nPieces++] = " HTTP/1.0\r\n";
    if (m_bUseProxy && !m_strProxyUser.IsEmpty())
        pieces[nPieces++] =
            "Proxy-Authorization: Basic " + Base64Encode(m_strProxyUser + ":" + m_strProxyPassword) + "\r\n";
    if (bPost) {
        CString strLength;
        strLength.Format("%s%d\r\n", kContentLength, strBody.GetLength());
        pieces[nPieces++] = strLength;
    }
    pieces[nPieces++] = "Host: ";
    pieces[nPieces++] = strHost + "\r\n";
    if (bPost) {
        pieces[nPieces++] = "Content-Type: application/x-www-form-urlencoded\r\n\r\n";
        pieces[nPieces++] = strBody;
    }
    pieces[nPieces++] = "\r\n";
}

BOOL CHttpClient::Connect(const CString& strHost, int nPort, SocketLimit limit)
{
    m_strError.Empty();
    Close();
    m_pSocket.reset(new CSocket);
    const CString& strTargetHost = m_bUseProxy ? m_strProxyHost : strHost;
    const UINT nTargetPort = m_bUseProxy ? m_nProxyPort : static_cast<UINT>(nPort);
    if (!m_pSocket->Create(0, kSocketStream, 63, nullptr)) {
        m_strError = kUnableToConnect;
        Close();
        return FALSE;
    }
    m_pSocket->SetLimits(&m_bAbort, m_dwTimeLimitMs, limit);
    if (!m_pSocket->Connect(strTargetHost, nTargetPort)) {
        m_strError = kUnableToConnect;
        Close();
        return FALSE;
    }
    return TRUE;
}

BOOL CHttpClient::SendRequest(const HttpUrlParts& url, int nMethod)
{
    CString pieces[kMaxRequestPieces];
    int nPieces = 0;
    BuildRequest(url, nMethod, pieces, nPieces);
    for (int i = 0; i < nPieces; ++i)
        if (!Send(pieces[i]))
            return FALSE;
    return TRUE;
}

// A peer may answer and close before it has read the whole request: a proxy that refuses the credentials does so
// right after the header, and the rest of the request then fails to go out. When such an answer arrived, its status
// line replaces the send failure as the error text (and sets the error flag), so the user reads the peer's reason.
void CHttpClient::TakeStatusAfterSendFailure()
{
    const CString strSendError = m_strError;
    const BOOL bErrorFlag = m_bErrorFlag;
    m_bErrorFlag = FALSE;
    CString strHeader;
    int nLength = 0;
    if (ReceiveHeader(&strHeader) && !ParseResponseHeader(strHeader, &nLength) && m_bErrorFlag)
        return;
    m_strError = strSendError;
    m_bErrorFlag = bErrorFlag;
}

BOOL CHttpClient::Send(const CString& strText)
{
    if (strText.IsEmpty())
        return TRUE;
    if (!m_pSocket || m_pSocket->Send(strText.GetString(), strText.GetLength()) <= 0) {
        m_strError += kSendFailed;
        return FALSE;
    }
    return TRUE;
}

// One byte at a time up to the blank line. A peer that closes ends the header with what arrived; a header that
// does not end within the buffer (its terminating zero kept) is refused.
BOOL CHttpClient::ReceiveHeader(CString* pHeader)
{
    if (!m_pSocket)
        return FALSE;
    std::vector<char> buffer(kHeaderBufferSize, 0);
    int nLength = 0;
    for (;;) {
        if (nLength >= 4 && std::memcmp(&buffer[nLength - 4], kHeaderEnd, 4) == 0)
            break;
        if (nLength >= kHeaderBufferSize - 1) {
            m_strError += kReceiveFailed;
            return FALSE;
        }
        const int nReceived = m_pSocket->Receive(&buffer[nLength], 1);
        if (nReceived == kSocketError) {
            m_strError += kReceiveFailed;
            return FALSE;
        }
        if (nReceived == 0)
            break;
        nLength += nReceived;
    }
    *pHeader = CString(&buffer[0], nLength);
    return TRUE;
}

// The status code is read, as atoi reads it, from the text that starts at the header's first blank, limited to as
// many characters as precede that blank. A header without a readable code (the peer closed before a status line)
// is a receive failure. 200: the length follows the first "Content-Length: " (exact spelling), 0 without one;
// a length above nMaxLength is refused. Any other code: the error text is the status line from its first blank
// on, and the error flag is set.
BOOL CHttpClient::ParseResponseHeader(const CString& strHeader, int* pLength, int nMaxLength)
{
    *pLength = 0;
    const int nBlank = strHeader.Find(' ');
    const int nLineEnd = strHeader.Find("\r\n");
    if (nBlank < 0 || (nLineEnd >= 0 && nBlank > nLineEnd)) {
        m_strError += kReceiveFailed;
        return FALSE;
    }
    CString strCode = strHeader.Mid(nBlank, nBlank);
    strCode.TrimLeft();
    if (strCode.IsEmpty() || (strCode[0] < '0' || strCode[0] > '9')) {
        m_strError += kReceiveFailed;
        return FALSE;
    }
    const int nCode = std::atoi(strCode);
    if (nCode != 200) {
        m_strError = nLineEnd >= 0 ? strHeader.Mid(nBlank, nLineEnd - nBlank) : strHeader.Mid(nBlank);
        m_bErrorFlag = TRUE;
        return FALSE;
    }
    const int nField = strHeader.Find(kContentLength);
    if (nField < 0)
        return TRUE;
    const int nValue = nField + static_cast<int>(std::strlen(kContentLength));
    const int nValueEnd = strHeader.Find("\r\n", nValue);
    const CString strValue = nValueEnd >= 0 ? strHeader.Mid(nValue, nValueEnd - nValue) : strHeader.Mid(nValue);
    const long nLength = std::strtol(strValue, nullptr, 10);
    if (nLength > nMaxLength) {
        m_strError += kReceiveFailed;
        return FALSE;
    }
    *pLength = static_cast<int>(nLength);
    return TRUE;
}

void CHttpClient::DiscardFile(CFile* pFile)
{
    const CString strPath = pFile->GetFilePath();
    pFile->Abort();
    if (!strPath.IsEmpty() && FileExists(strPath) && !::DeleteFileA(strPath))
        AfxShowMessageBox(nullptr, kRemoveFileFailed, "", MB_OK | MB_ICONEXCLAMATION);
}

// The body in chunks of at most kBodyChunkSize bytes, into the buffer and/or the file. An abort seen after a chunk
// ends the receive with TRUE (a file is removed); a failed or closed receive before the announced length ends it
// with FALSE.
BOOL CHttpClient::ReceiveBody(int nLength, char* pBuffer, CFile* pFile, HWND hProgressWnd)
{
    if (!m_pSocket) {
        if (pFile != nullptr)
            DiscardFile(pFile);
        return FALSE;
    }
    INT32 progress[2] = {nLength, 0};
    if (hProgressWnd != nullptr)
        ::SendMessage(hProgressWnd, WM_HTTP_PROGRESS, 0, reinterpret_cast<LPARAM>(progress));
    if (IsAborted() && pFile != nullptr) {
        DiscardFile(pFile);
        return TRUE;
    }
    std::vector<char> chunk(kBodyChunkSize);
    int nReceived = 0;
    while (nReceived < nLength) {
        const int nWanted = nLength - nReceived < kBodyChunkSize ? nLength - nReceived : kBodyChunkSize;
        std::fill(chunk.begin(), chunk.end(), 0);
        const int nChunk = m_pSocket->Receive(&chunk[0], nWanted);
        if (nChunk == kSocketError || nChunk == 0) {
            m_strError += kReceiveFailed;
            if (pFile != nullptr)
                DiscardFile(pFile);
            return FALSE;
        }
        if (pBuffer != nullptr)
            std::memcpy(pBuffer + nReceived, &chunk[0], nChunk);
        if (pFile != nullptr) {
            try {
                pFile->Write(&chunk[0], nChunk);
            } catch (const CException&) {
                m_strError += kWriteFileFailed;
                DiscardFile(pFile);
                return FALSE;
            }
        }
        nReceived += nChunk;
        if (IsAborted()) {
            if (pFile != nullptr)
                DiscardFile(pFile);
            return TRUE;
        }
        if (hProgressWnd != nullptr) {
            progress[1] = nReceived;
            ::SendMessage(hProgressWnd, WM_HTTP_PROGRESS, 0, reinterpret_cast<LPARAM>(progress));
        }
    }
    if (hProgressWnd != nullptr) {
        progress[1] = nLength;
        ::SendMessage(hProgressWnd, WM_HTTP_PROGRESS, 0, reinterpret_cast<LPARAM>(progress));
    }
    if (pFile != nullptr)
        pFile->Abort();
    return TRUE;
}

// Connect, the scheme check, the request and the header, with an abort check between the steps. kExchangeBody
// leaves the connection open with the announced length in *pLength; kExchangeTrue and kExchangeFalse end the
// request (the socket is closed) with that result.
CHttpClient::ExchangeResult CHttpClient::BeginExchange(const HttpUrlParts& url, int nMethod,
                                                       const ExchangeLimits& limits, int* pLength)
{
    *pLength = 0;
    if (!Connect(url.host, url.port, limits.socketLimit))
        return IsAborted() ? kExchangeTrue : kExchangeFalse;
    if (IsAborted())
        return CloseAndReportAbort() ? kExchangeTrue : kExchangeFalse;
    if (url.scheme != "HTTP") {
        Close();
        m_strError = kOnlyHttp;
        return kExchangeFalse;
    }
    if (!SendRequest(url, nMethod)) {
        if (!IsAborted())
            TakeStatusAfterSendFailure();
        return CloseAndReportAbort() ? kExchangeTrue : kExchangeFalse;
    }
    CString strHeader;
    if (IsAborted() || !ReceiveHeader(&strHeader) || IsAborted())
        return CloseAndReportAbort() ? kExchangeTrue : kExchangeFalse;
    if (!ParseResponseHeader(strHeader, pLength, limits.nMaxBodyLength)) {
        Close();
        return kExchangeFalse;
    }
    return kExchangeBody;
}

BOOL CHttpClient::Request(const CString& strUrl, CString* pAnswer, int nMethod)
{
    pAnswer->Empty();
    int nLength = 0;
    const ExchangeResult result = BeginExchange(ParseUrl(strUrl), nMethod, kRequestLimits, &nLength);
    if (result != kExchangeBody)
        return result == kExchangeTrue;
    if (nLength <= 0) {
        Close();
        return TRUE;
    }
    std::vector<char> buffer(nLength + 1, 0);
    if (!ReceiveBody(nLength, &buffer[0], nullptr, nullptr))
        return CloseAndReportAbort();
    buffer[nLength] = '\0';
    *pAnswer = &buffer[0];
    Close();
    return TRUE;
}

// Nothing in the program downloads yet; the operation is kept small and follows Request step by step, but with the
// limits of a stream: a firmware file is larger than any answer and may take longer than a request's time limit.
BOOL CHttpClient::DownloadFile(const CString& strUrl, CString* pLocalPath, HWND hProgressWnd,
                               BYTE bOverwriteWithoutAsking)
{
    const HttpUrlParts url = ParseUrl(strUrl);
    const CString strName = url.path.Mid(url.path.ReverseFind('/') + 1);
    if (strName.IsEmpty()) {
        m_strError += kNoFileToDownload;
        return FALSE;
    }
    *pLocalPath += strName;
    pLocalPath->Replace("%20", " ");
    if (FileExists(*pLocalPath) && bOverwriteWithoutAsking == 0 &&
        AfxShowMessageBox(nullptr, *pLocalPath + kOverwriteQuestion, kProgramCaption, MB_YESNO | MB_ICONEXCLAMATION) !=
            IDYES)
        return TRUE;

    int nLength = 0;
    const ExchangeResult result = BeginExchange(url, kHttpGet, kDownloadLimits, &nLength);
    if (result != kExchangeBody)
        return result == kExchangeTrue;
    CFile file;
    if (!file.Open(*pLocalPath, CFile::modeCreate | CFile::modeWrite)) {
        m_strError = kCreateFileFailed;
        Close();
        return FALSE;
    }
    if (!ReceiveBody(nLength, nullptr, &file, hProgressWnd))
        return CloseAndReportAbort();
    Close();
    return TRUE;
}
