// src/framework/Lock.h
// A critical section that initialises and deletes itself, and a guard that holds it for one scope.
#ifndef TAVISK_FRAMEWORK_LOCK_H
#define TAVISK_FRAMEWORK_LOCK_H

#include <windows.h>

class CCriticalSection {
public:
    CCriticalSection() { InitializeCriticalSection(&m_section); }
    ~CCriticalSection() { DeleteCriticalSection(&m_section); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Lock() { EnterCriticalSection(&m_section); }
    void Unlock() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

// Holds the section from construction to the end of the scope.
class CLockGuard {
public:
    explicit CLockGuard(CCriticalSection& section) : m_section(section) { m_section.Lock(); }
    ~CLockGuard() { m_section.Unlock(); }
    CLockGuard(const CLockGuard&) = delete;
    CLockGuard& operator=(const CLockGuard&) = delete;

private:
    CCriticalSection& m_section;
};

#endif
