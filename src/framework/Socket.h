// src/framework/Socket.h
// CSocket: one TCP stream socket over Winsock, in the class library's form (Create, Connect, Send, Receive,
// Close), used by the program's HTTP client on a worker thread. Every call blocks its thread, but never without
// bound: connect, send and receive wait in slices of at most kSocketWaitSliceMs, give up when the socket's time
// limit has passed, and also give up as soon as the abort flag given to SetLimits is set. The limit bounds either
// the socket's whole work or each silence (see SocketLimit). A wait that gives up fails with WSAETIMEDOUT or
// WSAEINTR (GetLastError tells which).
//
// AfxSocketInit starts Winsock for the calling thread's process (each call is counted by Winsock itself).
//
// The header leaves <winsock2.h> to Socket.cpp, so that it can follow <windows.h> anywhere.
#ifndef TAVISK_FRAMEWORK_SOCKET_H
#define TAVISK_FRAMEWORK_SOCKET_H

#include <windows.h>

BOOL AfxSocketInit();

// The seam under the name service: the default resolves with gethostbyname. A lookup runs on a thread of its own,
// so that the socket's limits also bound it; a lookup given up is left to end by itself.
struct SocketHooks {
    // The IPv4 address of a host name, in network byte order; FALSE with a Winsock error when there is none.
    BOOL (*pfnLookupHost)(LPCSTR pszHost, DWORD* pAddress, int* pError);
};

// Installs a table (kept by pointer; it must outlive every lookup); null restores the name service. Returns the
// table that was in use.
const SocketHooks* SetSocketHooks(const SocketHooks* pHooks);

const DWORD kSocketWaitSliceMs = 250;
const int kSocketStream = 1; // SOCK_STREAM
const int kSocketError = -1; // SOCKET_ERROR

// What a socket's time limit bounds: all its work, counted from Create or SetLimits (kLimitWhole), or each
// silence (kLimitSilence): every byte sent or received starts the count afresh.
enum SocketLimit {
    kLimitWhole,
    kLimitSilence
};

class CSocket {
public:
    CSocket();
    ~CSocket();
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;

    // Makes the socket (SOCK_STREAM only) and binds it to the given local port and address (0 and null: any).
    // lEvent is the FD_* mask of the class library's form; this socket reports nothing by window messages, so it
    // is accepted and unused. The time limit starts here.
    BOOL Create(UINT nSocketPort = 0, int nSocketType = kSocketStream, long lEvent = 63,
                LPCSTR lpszSocketAddress = nullptr);

    // pAbort: a flag another thread sets to stop every wait at once (null: none); dwTimeLimitMs: how long the
    // socket's calls may take in all from now, or (kLimitSilence) how long they may wait for the next byte.
    void SetLimits(const volatile LONG* pAbort, DWORD dwTimeLimitMs, SocketLimit limit = kLimitWhole);

    // A dotted IPv4 address, else a name resolved by the name service (within the socket's limits).
    BOOL Connect(LPCSTR lpszHostAddress, UINT nHostPort);
    // Hands over all nLength bytes (looping over partial sends); returns nLength, or kSocketError.
    int Send(const void* pBuffer, int nLength);
    // Up to nLength bytes once at least one arrived; 0 when the peer closed the connection; kSocketError.
    int Receive(void* pBuffer, int nLength);
    void Close();

    BOOL IsOpen() const { return m_socket != INVALID_SOCKET; }
    // The Winsock error of the last failed call.
    int GetLastError() const { return m_nLastError; }

private:
    enum WaitFor { kWaitRead, kWaitWrite, kWaitConnect };
    // Waits until the socket can be read, written, or (kWaitConnect) is connected; FALSE with m_nLastError set when
    // it cannot.
    BOOL Wait(WaitFor what);
    BOOL Fail(int nError);
    // SO_ERROR: the error a connection attempt or the connection has met, 0 when none (or when it cannot be read).
    int PendingError() const;
    BOOL LookupHost(LPCSTR pszHost, DWORD* pAddress);
    // What is left of the time limit, or 0 (with m_nLastError set) when it is used up or the abort flag is set.
    DWORD RemainingSlice();
    // Bytes moved: under a silence limit the count starts afresh.
    void NoteProgress();

    UINT_PTR m_socket; // SOCKET
    const volatile LONG* m_pAbort;
    DWORD m_dwStartTick; // where the time limit counts from
    DWORD m_dwTimeLimitMs;
    SocketLimit m_limit;
    int m_nLastError;
};

#endif
