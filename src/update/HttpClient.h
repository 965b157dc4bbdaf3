// src/update/HttpClient.h
// CHttpClient: the small HTTP/1.0 client under the firmware update check. One request per connection, GET or
// POST, directly or through one HTTP proxy with Basic credentials; the answer body is read only when the answer
// carries a "Content-Length: " line. No redirects, no chunked bodies, no keep-alive.
//
// Request reads its answer into memory: the whole request must end within the time limit, and the answer must be
// short. DownloadFile streams the body into its file: any length, and only a silence as long as the time limit
// (no byte sent or received) ends it.
//
// Calling order: SetConnection, then any number of Request calls (each opens and closes its own connection);
// GetErrorText after a failed request. Abort may be called from another thread at any time: the request under way
// ends at its next check point or socket wait, and so does every later request of the same client until
// ResetAbort.
#ifndef TAVISK_UPDATE_HTTPCLIENT_H
#define TAVISK_UPDATE_HTTPCLIENT_H

#include "framework/Socket.h"
#include "framework/String.h"

#include <memory>

class CFile;

// Sent during a body receive to the window given to DownloadFile: wParam 0, lParam points to two 32-bit integers
// {total length from "Content-Length: ", bytes received so far}, valid only during the call.
#ifndef WM_HTTP_PROGRESS
#define WM_HTTP_PROGRESS (WM_APP + 1)
#endif

enum HttpMethod {
    kHttpGet = 0,
    kHttpPost = 1
};

// The five connection settings in the order of CHttpClient::SetConnection.
struct HttpConnectionSettings {
    BOOL useProxy = FALSE;
    CString proxyServer;
    UINT port = 0;
    CString user;
    CString password;
};

// The pieces of a URL as CHttpClient::ParseUrl reads them.
struct HttpUrlParts {
    CString scheme; // upper case; "HTTP" when the URL names none
    CString host;   // upper case
    CString path;   // letter case kept, blanks as "%20", query included; "/" at least
    int port = -1;
};

class CHttpClient {
public:
    static const int kHeaderBufferSize = 4096;
    static const int kBodyChunkSize = 4096;
    static const int kDefaultPort = 80;
    // Answers of Request are one text line: a longer announced body is refused before anything is allocated.
    static const int kMaxBodyLength = 65536;
    // How long one request may take in all (connect, send and receive), and how long a download may wait for its
    // next byte, unless SetTimeLimit says otherwise.
    static const DWORD kDefaultTimeLimitMs = 20000;

    CHttpClient();
    ~CHttpClient();
    CHttpClient(const CHttpClient&) = delete;
    CHttpClient& operator=(const CHttpClient&) = delete;

    void SetConnection(BOOL bUseProxy, const CString& strProxyHost, UINT nProxyPort, const CString& strProxyUser,
                       const CString& strProxyPassword);
    void SetTimeLimit(DWORD dwTimeLimitMs) { m_dwTimeLimitMs = dwTimeLimitMs; }

    // One complete request (kHttpGet or kHttpPost). TRUE with the body in *pAnswer (empty without a body), and
    // also TRUE, with no error text, when the request was aborted; FALSE with the reason in the error text.
    BOOL Request(const CString& strUrl, CString* pAnswer, int nMethod);
    // GET of the URL into a file named by the URL's last path piece, inside the folder *pLocalPath (which ends
    // with a separator and receives the full file path); progress goes to hProgressWnd when it is not null.
    BOOL DownloadFile(const CString& strUrl, CString* pLocalPath, HWND hProgressWnd, BYTE bOverwriteWithoutAsking);

    void GetErrorText(CString* pText) const { *pText = m_strError; }
    // Returns the error flag (the server answered with a status other than 200) and clears it.
    BOOL TakeErrorFlag();
    // Closes and deletes the socket when one is open; always TRUE.
    BOOL Close();
    void Abort() { ::InterlockedExchange(&m_bAbort, TRUE); }
    // Lets requests run again after an abort (a download started afresh).
    void ResetAbort() { ::InterlockedExchange(&m_bAbort, FALSE); }
    BOOL IsAborted() const { return m_bAbort != 0; }

    // The steps of a request, public so that tests can reach them one by one.
    static HttpUrlParts ParseUrl(const CString& strUrl);
    // The request bytes as SendRequest sends them, piece by piece.
    void BuildRequest(const HttpUrlParts& url, int nMethod, CString pieces[], int& nPieces) const;
    static const int kMaxRequestPieces = 10;
    // The status line and "Content-Length: " of a header. TRUE for status 200 with *pLength set (0 without the
    // line); FALSE otherwise, with the error text set. A length above nMaxLength is refused.
    BOOL ParseResponseHeader(const CString& strHeader, int* pLength, int nMaxLength = kMaxBodyLength);

private:
    enum ExchangeResult {
        kExchangeBody,
        kExchangeTrue,
        kExchangeFalse
    };
    // What bounds an exchange: the socket's time limit and the longest body accepted.
    struct ExchangeLimits {
        SocketLimit socketLimit;
        int nMaxBodyLength;
    };
    static const ExchangeLimits kRequestLimits;
    static const ExchangeLimits kDownloadLimits;
    ExchangeResult BeginExchange(const HttpUrlParts& url, int nMethod, const ExchangeLimits& limits, int* pLength);
    BOOL Connect(const CString& strHost, int nPort, SocketLimit limit);
    BOOL SendRequest(const HttpUrlParts& url, int nMethod);
    BOOL Send(const CString& strText);
    void TakeStatusAfterSendFailure();
    BOOL ReceiveHeader(CString* pHeader);
    BOOL ReceiveBody(int nLength, char* pBuffer, CFile* pFile, HWND hProgressWnd);
    // Closes the socket and tells whether the abort flag is set: the common end of a step that failed.
    BOOL CloseAndReportAbort();
    void DiscardFile(CFile* pFile);

    volatile LONG m_bAbort;
    BOOL m_bUseProxy;
    CString m_strProxyHost;
    UINT m_nProxyPort;
    CString m_strProxyUser;
    CString m_strProxyPassword;
    std::unique_ptr<CSocket> m_pSocket;
    CString m_strError;
    BOOL m_bErrorFlag;
    DWORD m_dwTimeLimitMs;
};

#endif
