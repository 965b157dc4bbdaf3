// tests/support/GuardedBytes.cpp
#include "support/GuardedBytes.h"

#include <gtest/gtest.h>

#include <cstring>

namespace testsupport {

GuardedBytes::GuardedBytes(const std::vector<BYTE>& bytes) : m_nSize(int(bytes.size()))
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const size_t nPage = system.dwPageSize;
    const size_t nReadable = (bytes.size() + nPage - 1) / nPage * nPage + nPage * (bytes.empty() ? 1 : 0);
    m_pPages = static_cast<BYTE*>(VirtualAlloc(nullptr, nReadable + nPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (m_pPages == nullptr) {
        ADD_FAILURE() << "VirtualAlloc failed: " << GetLastError();
        return;
    }
    DWORD nOld = 0;
    if (!VirtualProtect(m_pPages + nReadable, nPage, PAGE_NOACCESS, &nOld))
        ADD_FAILURE() << "VirtualProtect failed: " << GetLastError();
    m_pData = m_pPages + nReadable - bytes.size();
    if (!bytes.empty())
        std::memcpy(m_pData, bytes.data(), bytes.size());
}

GuardedBytes::~GuardedBytes()
{
    if (m_pPages != nullptr)
        VirtualFree(m_pPages, 0, MEM_RELEASE);
}

} // namespace testsupport
