// tests/update/UpdateTestSupport.cpp
#include "UpdateTestSupport.h"

#include "framework/Socket.h"

#include <cstdlib>

namespace updatetest {

namespace {

int EnvInt(const char* pszName)
{
    const char* pszValue = std::getenv(pszName);
    return pszValue != NULL ? std::atoi(pszValue) : 0;
}

CString EnvText(const char* pszName)
{
    const char* pszValue = std::getenv(pszName);
    return pszValue != NULL ? CString(pszValue) : CString();
}

}

int ServicePort()
{
    return EnvInt("TAVISK_UPDATE_PORT");
}

CString ServiceUrl(const char* pszPath)
{
    CString url;
    url.Format("http://127.0.0.1:%d%s", ServicePort(), pszPath);
    return url;
}

int ProxyPort()
{
    return EnvInt("TAVISK_PROXY_PORT");
}

CString ProxyUser()
{
    return EnvText("TAVISK_PROXY_USER");
}

CString ProxyPassword()
{
    return EnvText("TAVISK_PROXY_PASSWORD");
}

void StartSockets()
{
    static const BOOL bStarted = AfxSocketInit();
    (void)bStarted;
}

// Binds a listening-free socket to port 0, reads the port and closes it again: nothing listens there afterwards.
int ClosedPort()
{
    StartSockets();
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::inet_addr("127.0.0.1");
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int nSize = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &nSize);
    ::closesocket(s);
    return ntohs(address.sin_port);
}

}
