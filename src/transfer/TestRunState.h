// src/transfer/TestRunState.h
// What the window side of the transfer-rate tests and the worker of a run share: whether a test runs, the stop
// request the worker polls before every drive command, and the progress the worker publishes (the address it is
// at, the samples of its run). The main dialog owns the one object and hands it by reference to the test window,
// the pages and, through them, their workers. Every field is read and written under the object's lock; the lock
// makes the object neither copyable nor movable.
#ifndef TAVISK_TRANSFER_TESTRUNSTATE_H
#define TAVISK_TRANSFER_TESTRUNSTATE_H

#include "framework/Lock.h"

class CTestRunState {
public:
    // Set by a page while its run is active; the test window and the main dialog hold back what a run forbids.
    bool IsRunning() const { return Read(m_bRunning); }
    void SetRunning(bool bRunning) { Write(m_bRunning, bRunning); }

    // Set by the window side (Stop, a run that ended); cleared when a run begins. The worker polls it.
    bool IsStopRequested() const { return Read(m_bStopRequested); }
    void RequestStop() { Write(m_bStopRequested, true); }
    void ClearStopRequest() { Write(m_bStopRequested, false); }

    // The sector the worker is at: set before each drive command, read for the error message and the plot.
    long CurrentAddress() const { return Read(m_nCurrentAddress); }
    void SetCurrentAddress(long nAddress) { Write(m_nCurrentAddress, nAddress); }

    // The samples of a read run, from the page's disc check; the worker takes that many.
    long SampleCount() const { return Read(m_nSampleCount); }
    void SetSampleCount(long nCount) { Write(m_nSampleCount, nCount); }

private:
    template <typename T>
    T Read(const T& field) const
    {
        CLockGuard lock(m_lock);
        return field;
    }
    template <typename T>
    void Write(T& field, T value)
    {
        CLockGuard lock(m_lock);
        field = value;
    }

    mutable CCriticalSection m_lock;
    bool m_bRunning = false;
    bool m_bStopRequested = false;
    long m_nCurrentAddress = 0;
    long m_nSampleCount = 0;
};

#endif
