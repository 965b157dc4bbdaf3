// src/framework/Socket.cpp
#include <winsock2.h>

#include "framework/Socket.h"

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

static_assert(kSocketStream == SOCK_STREAM && kSocketError == SOCKET_ERROR, "Winsock constants");

namespace {

// Without SetLimits a socket still gives up after this long.
const DWORD kDefaultTimeLimitMs = 20000;
// A connect wait asks for a failed attempt this often.
const DWORD kConnectSliceMs = 20;

BOOL LookupWithNameService(LPCSTR pszHost, DWORD* pAddress, int* pError)
{
    const hostent* pHost = ::gethostbyname(pszHost);
    if (pHost == nullptr || pHost->h_addrtype != AF_INET || pHost->h_length != 4 || pHost->h_addr_list[0] == nullptr) {
        *pError = ::WSAGetLastError() != 0 ? ::WSAGetLastError() : WSAHOST_NOT_FOUND;
        return FALSE;
    }
    std::memcpy(pAddress, pHost->h_addr_list[0], 4);
    return TRUE;
}

const SocketHooks kNameService = {LookupWithNameService};
const SocketHooks* volatile g_pSocketHooks = &kNameService;

// One lookup, shared by the socket that waits for it and the thread that runs it; the last one to let go frees it.
struct HostLookup {
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    BOOL found = FALSE;
    DWORD address = 0;
    int error = 0;
};

} // namespace

const SocketHooks* SetSocketHooks(const SocketHooks* pHooks)
{
    const SocketHooks* pPrevious = g_pSocketHooks;
    g_pSocketHooks = pHooks != nullptr ? pHooks : &kNameService;
    return pPrevious;
}

BOOL AfxSocketInit()
{
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

CSocket::CSocket()
    : m_socket(INVALID_SOCKET), m_pAbort(nullptr), m_dwStartTick(0), m_dwTimeLimitMs(kDefaultTimeLimitMs),
      m_limit(kLimitWhole), m_nLastError(0)
{
}

CSocket::~CSocket()
{
    Close();
}

BOOL CSocket::Fail(int nError)
{
    m_nLastError = nError;
    return FALSE;
}

// The socket is non-blocking from the start; every call waits with select in short slices instead.
BOOL CSocket::Create(UINT nSocketPort, int nSocketType, long lEvent, LPCSTR lpszSocketAddress)
{
    Close();
    if (nSocketType != kSocketStream)
        return Fail(WSAESOCKTNOSUPPORT);
    m_dwStartTick = ::GetTickCount();
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return Fail(::WSAGetLastError());
    u_long nonBlocking = 1;
    sockaddr_in local;
    std::memset(&local, 0, sizeof local);
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<u_short>(nSocketPort));
    local.sin_addr.s_addr = lpszSocketAddress != nullptr ? ::inet_addr(lpszSocketAddress) : htonl(INADDR_ANY);
    if (::ioctlsocket(s, FIONBIO, &nonBlocking) != 0 ||
        ::bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        const int nError = ::WSAGetLastError();
        ::closesocket(s);
        return Fail(nError);
    }
    m_socket = s;
    return TRUE;
}

void CSocket::SetLimits(const volatile LONG* pAbort, DWORD dwTimeLimitMs, SocketLimit limit)
{
    m_pAbort = pAbort;
    m_dwTimeLimitMs = dwTimeLimitMs;
    m_limit = limit;
    m_dwStartTick = ::GetTickCount();
}

void CSocket::NoteProgress()
{
    if (m_limit == kLimitSilence)
        m_dwStartTick = ::GetTickCount();
}

DWORD CSocket::RemainingSlice()
{
    if (m_pAbort != nullptr && *m_pAbort != 0) {
        Fail(WSAEINTR);
        return 0;
    }
    const DWORD dwElapsed = ::GetTickCount() - m_dwStartTick;
    if (dwElapsed >= m_dwTimeLimitMs) {
        Fail(WSAETIMEDOUT);
        return 0;
    }
    const DWORD dwLeft = m_dwTimeLimitMs - dwElapsed;
    return dwLeft < kSocketWaitSliceMs ? dwLeft : kSocketWaitSliceMs;
}

// The name service may take long to answer (or not answer) without a network; the lookup runs on its own thread
// while this one waits in slices that watch the limits.
BOOL CSocket::LookupHost(LPCSTR pszHost, DWORD* pAddress)
{
    std::shared_ptr<HostLookup> pLookup = std::make_shared<HostLookup>();
    const SocketHooks* pHooks = g_pSocketHooks;
    try {
        std::thread([pLookup, pHooks, strHost = std::string(pszHost)]() {
            DWORD address = 0;
            int nError = 0;
            const BOOL bFound = pHooks->pfnLookupHost(strHost.c_str(), &address, &nError);
            std::lock_guard<std::mutex> guard(pLookup->lock);
            pLookup->found = bFound;
            pLookup->address = address;
            pLookup->error = nError;
            pLookup->done = true;
            pLookup->finished.notify_all();
        }).detach();
    } catch (const std::exception&) {
        return Fail(WSAENOBUFS);
    }
    std::unique_lock<std::mutex> guard(pLookup->lock);
    while (!pLookup->done) {
        const DWORD dwSlice = RemainingSlice();
        if (dwSlice == 0)
            return FALSE;
        pLookup->finished.wait_for(guard, std::chrono::milliseconds(dwSlice));
    }
    if (!pLookup->found)
        return Fail(pLookup->error != 0 ? pLookup->error : WSAHOST_NOT_FOUND);
    *pAddress = pLookup->address;
    return TRUE;
}

// Each select names the socket in one set only. Winsock reports a reset or a closed peer in the read set and a
// failed send by send itself; only a failed connection attempt shows in no set but the exception set, so a connect
// wait asks SO_ERROR after each short slice instead. (Wine's server handles a socket named in two sets of one call
// as two entries, and an event that arrives between its first checks of the two can leave a call that ends by its
// time-out with an entry marked ready, which stops the server on an assertion: every Windows call of the program
// then waits for ever.)
BOOL CSocket::Wait(WaitFor what)
{
    for (;;) {
        DWORD dwSlice = RemainingSlice();
        if (dwSlice == 0)
            return FALSE;
        if (what == kWaitConnect && dwSlice > kConnectSliceMs)
            dwSlice = kConnectSliceMs;
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(m_socket, &ready);
        timeval tv = {static_cast<long>(dwSlice / 1000), static_cast<long>((dwSlice % 1000) * 1000)};
        const int n = what == kWaitRead ? ::select(0, &ready, nullptr, nullptr, &tv)
                                        : ::select(0, nullptr, &ready, nullptr, &tv);
        if (n == SOCKET_ERROR)
            return Fail(::WSAGetLastError());
        if (n > 0)
            return TRUE;
        // Reading SO_ERROR clears it: read once.
        const int nError = what == kWaitConnect ? PendingError() : 0;
        if (nError != 0)
            return Fail(nError);
    }
}

int CSocket::PendingError() const
{
    int nError = 0;
    int nSize = sizeof nError;
    if (::getsockopt(m_socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&nError), &nSize) != 0)
        return 0;
    return nError;
}

BOOL CSocket::Connect(LPCSTR lpszHostAddress, UINT nHostPort)
{
    if (m_socket == INVALID_SOCKET)
        return Fail(WSAENOTSOCK);
    if (lpszHostAddress == nullptr || nHostPort > 0xFFFF)
        return Fail(WSAEINVAL);
    sockaddr_in remote;
    std::memset(&remote, 0, sizeof remote);
    remote.sin_family = AF_INET;
    remote.sin_port = htons(static_cast<u_short>(nHostPort));
    remote.sin_addr.s_addr = ::inet_addr(lpszHostAddress);
    if (remote.sin_addr.s_addr == INADDR_NONE) {
        DWORD address = 0;
        if (!LookupHost(lpszHostAddress, &address))
            return FALSE;
        remote.sin_addr.s_addr = address;
    }
    if (::connect(m_socket, reinterpret_cast<sockaddr*>(&remote), sizeof remote) == 0)
        return TRUE;
    const int nError = ::WSAGetLastError();
    if (nError != WSAEWOULDBLOCK && nError != WSAEINPROGRESS)
        return Fail(nError);
    if (!Wait(kWaitConnect))
        return FALSE;
    // Writable is not yet connected everywhere: a refused connection shows in SO_ERROR.
    const int nSoError = PendingError();
    return nSoError != 0 ? Fail(nSoError) : TRUE;
}

int CSocket::Send(const void* pBuffer, int nLength)
{
    if (m_socket == INVALID_SOCKET) {
        Fail(WSAENOTSOCK);
        return SOCKET_ERROR;
    }
    const char* pNext = static_cast<const char*>(pBuffer);
    int nLeft = nLength;
    while (nLeft > 0) {
        if (!Wait(kWaitWrite))
            return SOCKET_ERROR;
        const int nSent = ::send(m_socket, pNext, nLeft, 0);
        if (nSent == SOCKET_ERROR) {
            const int nError = ::WSAGetLastError();
            if (nError == WSAEWOULDBLOCK)
                continue;
            Fail(nError);
            return SOCKET_ERROR;
        }
        if (nSent > 0)
            NoteProgress();
        pNext += nSent;
        nLeft -= nSent;
    }
    return nLength;
}

int CSocket::Receive(void* pBuffer, int nLength)
{
    if (m_socket == INVALID_SOCKET) {
        Fail(WSAENOTSOCK);
        return SOCKET_ERROR;
    }
    for (;;) {
        if (!Wait(kWaitRead))
            return SOCKET_ERROR;
        const int nReceived = ::recv(m_socket, static_cast<char*>(pBuffer), nLength, 0);
        if (nReceived > 0)
            NoteProgress();
        if (nReceived != SOCKET_ERROR)
            return nReceived;
        const int nError = ::WSAGetLastError();
        if (nError != WSAEWOULDBLOCK) {
            Fail(nError);
            return SOCKET_ERROR;
        }
    }
}

void CSocket::Close()
{
    if (m_socket != INVALID_SOCKET) {
        ::closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }
}
