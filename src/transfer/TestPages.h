// src/transfer/TestPages.h
// The four test pages on the shared frame. What each test does between Start and its last progress message comes
// with the tests themselves; here are the frame's differences between the pages.
#ifndef TAVISK_TRANSFER_TESTPAGES_H
#define TAVISK_TRANSFER_TESTPAGES_H

#include "transfer/CdWriteTest.h"
#include "transfer/ReadTestWorker.h"
#include "transfer/TestPage.h"

#include <memory>
#include <vector>

class CDvdReadTestDlg : public CTestPageDlg {
public:
    explicit CDvdReadTestDlg(CWnd* pTestWindow);
    // The graph's length follows the DVD read length setting (kilobytes >> 10); the page repaints.
    void SetGraphLength();
    int GetGraphLength() const { return m_nGraphLength; }

    // TRUE when the inserted disc can be tested: its recorded capacity, the sample count and the marker inputs
    // (disc end, and the layer-0 end of a two-layer disc) are set.
    bool CheckDisc();
    const ReadTestRun& Run() const { return *m_pRun; }

protected:
    void OnStart() override;

private:
    int m_nGraphLength = int(kDvdLength5GB >> 10);
    std::unique_ptr<ReadTestRun> m_pRun;
};

class CCdReadTestDlg : public CTestPageDlg {
public:
    explicit CCdReadTestDlg(CWnd* pTestWindow);

    // TRUE when the inserted disc can be tested: its capacity (READ CAPACITY) and kind (READ TOC) are known.
    bool CheckDisc();
    const ReadTestRun& Run() const { return *m_pRun; }

protected:
    void OnStart() override;
    // The model's vendor-read flag, cleared for the listed models on USB under Windows 95, 98 and Me.
    BYTE VendorReadFlag();

private:
    std::unique_ptr<ReadTestRun> m_pRun;
};

// What a DVD write worker needs beyond the frame's worker state; set by Start, read by the worker.
struct DvdWriteJob {
    TestWorkerState* pState = nullptr;
    long nSectorCount = 0; // usable sectors after the media check, the test length once the run starts
    int nSampleLength = 0;
    int nProfile = 0;
    bool bSimulate = false; // the DVD+R worker leaves the track and the disc open on a test write
    std::vector<BYTE> image;
    std::vector<BYTE> zeros;
};

// The workers of the DVD write test, one per family of profiles (see DvdWriteTestDlg.cpp).
UINT __cdecl DvdPlusRWriteTestThread(LPVOID pParam);
UINT __cdecl DvdPlusRwWriteTestThread(LPVOID pParam);
UINT __cdecl DvdMinusRWriteTestThread(LPVOID pParam);
UINT __cdecl DvdMinusRwWriteTestThread(LPVOID pParam);
UINT __cdecl DvdRamWriteTestThread(LPVOID pParam);
// Untimed workers of several sessions, tracks or borders that no page starts (see DvdWriteVariants.cpp).
UINT __cdecl DvdMinusRMultiSessionWriteTestThread(LPVOID pParam);
UINT __cdecl DvdPlusRMultiTrackWriteTestThread(LPVOID pParam);
UINT __cdecl DvdMinusRMultiBorderWriteTestThread(LPVOID pParam);

class CDvdWriteTestDlg : public CTestPageDlg {
public:
    explicit CDvdWriteTestDlg(CWnd* pTestWindow) : CTestPageDlg(kTestPageDvdWrite, pTestWindow)
    {
        m_job.pState = &m_worker;
    }
    const DvdWriteJob& Job() const { return m_job; }
    const CString& DiscTypeText() const { return m_strDiscType; }
    // The graph's length in kilobytes, as the Preferences set it (5 GB again at every settings load); the page
    // repaints.
    void SetGraphLength(DWORD nLengthKB);
    DWORD GetGraphLength() { return DWORD(Graph().Length()); }

    BEGIN_MSG_MAP(CDvdWriteTestDlg)
    ON_WM_SHOWWINDOW()
    CHAIN_MSG_MAP(CTestPageDlg)
    END_MSG_MAP()

protected:
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnStart() override;
    bool OnRunEnding(int nCode) override;
    void OnRunEnded(int nCode) override;
    // True when the medium can be written; the usable sectors are then in the job. A used DVD-RW the user agrees
    // to erase leaves the erase pending and returns false.
    bool CheckMedia();

private:
    // The steps of Start after the media check, in order.
    void TakeRunSettings();
    AFX_THREADPROC PrepareWorker();
    // The drive's set-up of each family of media; null (after telling the user) when the start ends.
    AFX_THREADPROC PreparePlusR();
    AFX_THREADPROC PrepareRewritable();
    AFX_THREADPROC PrepareMinus();

    bool ReadRewritableCapacity();
    void EraseDisc();
    bool SendWriteParameters(bool bSimulate);

    CString m_strDiscType;
    bool m_bRunSimulate = false;
    DvdWriteJob m_job;
};

// What the CD write worker needs beyond the frame's worker state; set by Start, read by the worker.
struct CdWriteJob {
    TestWorkerState* pState = nullptr;
    long nTotalSectors = -1;
    long nTestLength = -1;
    int nSampleLength = 0;
    bool bMode1 = true;
    std::vector<BYTE> image; // the data of the first block (Mode 1) or of every block (audio)
    std::vector<BYTE> zeros; // every other block of a Mode 1 run, and the pregap
};

// The worker of a CD write run: the pregap, then the timed samples (see CdWriteTestDlg.cpp).
UINT __cdecl CdWriteTestThread(LPVOID pParam);

class CCdWriteTestDlg : public CTestPageDlg {
public:
    explicit CCdWriteTestDlg(CWnd* pTestWindow);
    ResultRunFacts RunFacts() const override;
    const CdWriteJob& Job() const { return m_job; }
    const CString& DiscMakerText() const { return m_strDiscMaker; }

    BEGIN_MSG_MAP(CCdWriteTestDlg)
    ON_WM_SHOWWINDOW()
    CHAIN_MSG_MAP(CTestPageDlg)
    END_MSG_MAP()

protected:
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnStart() override;
    bool OnRunEnding(int nCode) override;
    void OnRunEnded(int nCode) override;
    // True when a usable blank disc is in the drive. A non-blank CD-RW the user agrees to erase leaves the erase
    // pending and returns false.
    bool CheckMedia();

private:
    // The steps of Start, in order: after a failed media check, and the checks and settings (false ends the start)
    // before the run begins.
    void EraseOrRelease();
    bool CheckWriter();
    bool ChooseTestWrite();
    bool SendWriteParameters();
    bool SendCueSheet();
    void BeginWriteRun();

    bool EjectsAfterSimulation();

    CueSheetEntry m_mode1Sheet[kCueSheetEntries];
    CueSheetEntry m_cddaSheet[kCueSheetEntries];
    BYTE m_writeParameters[kCdWriteParametersLength] = {}; // as last sent, again before the cue sheet
    CString m_strDiscMaker;
    bool m_bRunSimulate = false;
    CdWriteJob m_job;
};

#endif
