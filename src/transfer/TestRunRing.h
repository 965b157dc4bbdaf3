// src/transfer/TestRunRing.h
// The store of the last ten runs of one test page: per run the speed samples, the result texts, the information
// record the HTML export reads and, on the write pages, the spacing of the samples. The ring chooses the slot a new
// run overwrites, empties the runs the results dialog cleared, and gives the start, end and average speed of the
// current run.
//
// Samples are speeds in hundredths of X, or one of the two special values. The ring is allocated once, when the
// page that owns it is constructed; nothing is allocated during a run.
#ifndef TAVISK_TRANSFER_TESTRUNRING_H
#define TAVISK_TRANSFER_TESTRUNRING_H

#include <windows.h>

#include <cstdint>
#include <vector>

const int MAX_TEST_RUNS = 10;

const uint32_t SAMPLE_NONE = 0xFFFFFFFF;    // nothing measured at this position
const uint32_t SAMPLE_SKIPPED = 0xFFFFFFFE; // DVD write: written but not measured (below the first 9000 sectors)

// The four test pages; the ring and the page frame take their differences from this.
enum TestPageKind {
    kTestPageDvdRead = 0,
    kTestPageCdRead = 1,
    kTestPageDvdWrite = 2,
    kTestPageCdWrite = 3
};

// Sample lengths in sectors, indexed by the settings SampleLen, TestEvery and TestEveryWrite (0..4).
const int kSampleLengthCount = 5;
extern const int SampleLengthTable[kSampleLengthCount];
// The table entry for a settings index; an index outside 0..4 takes the default entry 2.
int SampleLengthFromIndex(int nIndex);

// The colour of each run in the graph, the print-out, the export and the results dialog (COLORREF).
extern const COLORREF RunColourTable[MAX_TEST_RUNS];
// The colour of run nRun (0..9) on a page: run 9 is green on the DVD write page. Outside 0..9: run 0's colour.
COLORREF RunColour(TestPageKind kind, int nRun);

// Samples per run: one entry per 25 sectors of the disc on the read pages, one per sample on the write pages.
const int kCdSamplesPerRun = 30000;
const int kDvdSamplesPerRun = 335000;

// Fixed text fields of a run.
const int kResultTextSize = 100; // 99 characters and the terminating zero
const int kMaxResultTexts = 5;

// The information record of a run, fixed zero-terminated text fields (10,600 characters).
struct TestRunInfo {
    char szDrive[200];
    union {
        char present; // read pages and DVD write: 1 once FormatResults ran for the run
        struct {
            char szLeadIn[50];
            char szLeadOut[50];
            char szDataFormat[100];
        } cd; // CD write
        char raw[200];
    } second;
    union {
        char szSpeed[200]; // read speed, or the DVD write speed
        struct {
            char szWriteSpeed[100];
            char szOverburn[100];
        } cd; // CD write
    } speed;
    char szDisc[2000];
    char szStart[2000];
    char szEnd[2000];
    char szAverage[2000];
    char szDuration[2000];
};
static_assert(sizeof(TestRunInfo) == 10600, "TestRunInfo is 10,600 characters");

// Write pages: how the samples of a run are spaced.
struct TestRunExtent {
    int32_t blocksPerSample; // 25-sector write commands per sample
    int32_t lastSample;      // index of the last sample stored so far
};

class TestRunRing {
public:
    explicit TestRunRing(TestPageKind kind);
    TestRunRing(const TestRunRing&) = delete;
    TestRunRing& operator=(const TestRunRing&) = delete;

    TestPageKind Kind() const { return m_kind; }
    bool IsWritePage() const { return m_kind == kTestPageDvdWrite || m_kind == kTestPageCdWrite; }
    int SamplesPerRun() const { return m_nSamplesPerRun; }
    int TextCount() const { return m_kind == kTestPageCdWrite ? 5 : 3; }

    // The slot of the run being made or made last; -1 before the first run.
    int GetCurrentRun() const { return m_nCurrentRun; }
    void SetCurrentRun(int nRun) { m_nCurrentRun = nRun; }

    // Run nRun (0..9).
    uint32_t* Samples(int nRun) { return &m_samples[size_t(nRun) * size_t(m_nSamplesPerRun)]; }
    const uint32_t* Samples(int nRun) const { return &m_samples[size_t(nRun) * size_t(m_nSamplesPerRun)]; }
    char* Text(int nRun, int nText) { return m_texts[size_t(nRun)].text[nText]; }
    const char* Text(int nRun, int nText) const { return m_texts[size_t(nRun)].text[nText]; }
    TestRunInfo& Info(int nRun) { return m_info[size_t(nRun)]; }
    const TestRunInfo& Info(int nRun) const { return m_info[size_t(nRun)]; }
    TestRunExtent& Extent(int nRun) { return m_extent[size_t(nRun)]; }
    const TestRunExtent& Extent(int nRun) const { return m_extent[size_t(nRun)]; }

    // Stores sample nIndex of the current run. FALSE (nothing stored) when there is no current run or the index
    // lies outside the run's array: the worker then ends its run.
    bool StoreSample(int nIndex, uint32_t nValue);

    // The value counts in the statistics (it is no special value).
    bool IsValidSample(uint32_t nValue) const;
    // A slot is used when its first sample was stored; on the CD write page when both extent fields are set.
    bool IsUsed(int nRun) const;
    // The run counts as present for the HTML export.
    bool IsPresent(int nRun) const;

    // Chooses the slot of a new run, makes it the current run and empties its samples. Returns the slot: slot 0
    // after slot 9; with every slot used the slot after the current one; otherwise the next free slot after the
    // current one, or slot 0 when no later slot is free.
    int ChooseNextRunSlot();
    // Empties each run whose bit is set (bit 0 = run 1); the first cleared run becomes the next one. Only bits
    // 0..9 count.
    void ClearRuns(uint32_t nMask);
    // Every result text of run nRun becomes empty.
    void ClearTexts(int nRun);
    // Every sample of every run becomes SAMPLE_NONE (the CD pages' OnInitDialog).
    void ResetAllSamples();

    // Statistics of the current run in hundredths of X; 0 when the run has no valid sample (or there is no run).
    int32_t ComputeAverageSpeed() const;
    int32_t GetStartSpeed() const;
    int32_t GetEndSpeed() const;

private:
    bool HasFreeSlot() const;

    struct RunTexts {
        char text[kMaxResultTexts][kResultTextSize];
    };

    TestPageKind m_kind;
    int m_nSamplesPerRun;
    int m_nCurrentRun;
    std::vector<uint32_t> m_samples;
    std::vector<RunTexts> m_texts;
    std::vector<TestRunInfo> m_info;
    std::vector<TestRunExtent> m_extent;
};

// Copies a text into a fixed field, cut to what the field holds.
void CopyRunText(char* pszField, size_t nFieldSize, const char* pszText);
template <size_t N>
void CopyRunText(char (&field)[N], const char* pszText)
{
    CopyRunText(field, N, pszText);
}

#endif
