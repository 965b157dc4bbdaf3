// tests/support/GuardedBytes.h
// Bytes that end where readable memory ends: the page after them cannot be touched, so code that reads past the
// end of what it was given stops the test with an access violation instead of reading something harmless.
#ifndef TAVISK_TESTS_SUPPORT_GUARDEDBYTES_H
#define TAVISK_TESTS_SUPPORT_GUARDEDBYTES_H

#include <windows.h>

#include <vector>

namespace testsupport {

class GuardedBytes {
public:
    explicit GuardedBytes(const std::vector<BYTE>& bytes);
    ~GuardedBytes();
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    const BYTE* data() const { return m_pData; }
    int size() const { return m_nSize; }

private:
    BYTE* m_pPages = nullptr;
    BYTE* m_pData = nullptr;
    int m_nSize = 0;
};

} // namespace testsupport

#endif
