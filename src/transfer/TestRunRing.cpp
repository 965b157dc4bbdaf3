// src/transfer/TestRunRing.cpp
#include "transfer/TestRunRing.h"

#include <algorithm>
#include <cstring>

const int SampleLengthTable[kSampleLengthCount] = {22500, 9000, 4500, 2250, 1125};

const COLORREF RunColourTable[MAX_TEST_RUNS] = {
    0x0000FF, // red
    0x008000, // green
    0xFF0000, // blue
    0x0080FF, // orange
    0x8000FF, // purple-pink
    0xFF8000, // sky blue
    0x000080, // dark red
    0x008080, // olive
    0xFF8080, // light blue
    0x800000, // navy
};

namespace {

const int kDefaultSampleLengthIndex = 2;
const COLORREF kDvdWriteRun9Colour = 0x008000;

} // namespace

int SampleLengthFromIndex(int nIndex)
{
    if (nIndex < 0 || nIndex >= kSampleLengthCount)
        nIndex = kDefaultSampleLengthIndex;
    return SampleLengthTable[nIndex];
}

COLORREF RunColour(TestPageKind kind, int nRun)
{
    if (nRun < 0 || nRun >= MAX_TEST_RUNS)
        nRun = 0;
    if (nRun == 8 && kind == kTestPageDvdWrite)
        return kDvdWriteRun9Colour;
    return RunColourTable[nRun];
}

void CopyRunText(char* pszField, size_t nFieldSize, const char* pszText)
{
    if (nFieldSize == 0)
        return;
    if (pszText == nullptr)
        pszText = "";
    size_t nLength = std::min(std::strlen(pszText), nFieldSize - 1);
    std::memcpy(pszField, pszText, nLength);
    pszField[nLength] = '\0';
}

// Every sample starts as SAMPLE_NONE and every text empty. The CD write extents start unset (-1, -1); the DVD write
// extents at 0, 0, which the ring treats as used only through the first sample.
TestRunRing::TestRunRing(TestPageKind kind)
    : m_kind(kind),
      m_nSamplesPerRun(kind == kTestPageCdRead || kind == kTestPageCdWrite ? kCdSamplesPerRun : kDvdSamplesPerRun),
      m_nCurrentRun(-1), m_samples(size_t(m_nSamplesPerRun) * MAX_TEST_RUNS, SAMPLE_NONE), m_texts(MAX_TEST_RUNS),
      m_info(MAX_TEST_RUNS), m_extent(MAX_TEST_RUNS)
{
    std::memset(m_texts.data(), 0, m_texts.size() * sizeof(RunTexts));
    std::memset(m_info.data(), 0, m_info.size() * sizeof(TestRunInfo));
    const int32_t nExtent = kind == kTestPageCdWrite ? -1 : 0;
    for (TestRunExtent& extent : m_extent)
        extent = TestRunExtent{nExtent, nExtent};
}

bool TestRunRing::StoreSample(int nIndex, uint32_t nValue)
{
    if (m_nCurrentRun < 0 || m_nCurrentRun >= MAX_TEST_RUNS || nIndex < 0 || nIndex >= m_nSamplesPerRun)
        return false;
    Samples(m_nCurrentRun)[nIndex] = nValue;
    return true;
}

bool TestRunRing::IsValidSample(uint32_t nValue) const
{
    if (nValue == SAMPLE_NONE)
        return false;
    return !(m_kind == kTestPageDvdWrite && nValue == SAMPLE_SKIPPED);
}

bool TestRunRing::IsUsed(int nRun) const
{
    if (m_kind == kTestPageCdWrite)
        return Extent(nRun).blocksPerSample != -1 && Extent(nRun).lastSample != -1;
    return Samples(nRun)[0] != SAMPLE_NONE;
}

bool TestRunRing::IsPresent(int nRun) const
{
    if (m_kind == kTestPageCdWrite)
        return Extent(nRun).blocksPerSample != -1;
    return Info(nRun).second.present == 1;
}

// After slot 9 comes slot 0. Otherwise, while any slot is free, the first free slot after the current one, and slot 0
// when the search reaches the end (it never looks at the slots before the current one). With every slot used the
// runs are overwritten in order: the new run takes the slot after the current one, so the ring keeps the last ten.
int TestRunRing::ChooseNextRunSlot()
{
    int nSlot = 0;
    if (m_nCurrentRun >= -1 && m_nCurrentRun < MAX_TEST_RUNS - 1) {
        nSlot = m_nCurrentRun + 1;
        if (HasFreeSlot()) {
            while (nSlot < MAX_TEST_RUNS && IsUsed(nSlot))
                ++nSlot;
            if (nSlot == MAX_TEST_RUNS)
                nSlot = 0;
        }
    }
    m_nCurrentRun = nSlot;
    std::fill_n(Samples(nSlot), m_nSamplesPerRun, SAMPLE_NONE);
    return nSlot;
}

bool TestRunRing::HasFreeSlot() const
{
    for (int i = 0; i < MAX_TEST_RUNS; ++i)
        if (!IsUsed(i))
            return true;
    return false;
}

void TestRunRing::ClearRuns(uint32_t nMask)
{
    bool bFirst = true;
    for (int i = 0; i < MAX_TEST_RUNS; ++i) {
        if ((nMask & (1u << i)) == 0)
            continue;
        if (bFirst) {
            m_nCurrentRun = i - 1;
            bFirst = false;
        }
        std::fill_n(Samples(i), m_nSamplesPerRun, SAMPLE_NONE);
        if (IsWritePage())
            m_extent[size_t(i)] = TestRunExtent{-1, -1};
        ClearTexts(i);
        if (m_kind == kTestPageCdWrite)
            std::memset(&m_info[size_t(i)], 0, sizeof(TestRunInfo));
        else
            m_info[size_t(i)].second.present = 0;
    }
}

void TestRunRing::ClearTexts(int nRun)
{
    std::memset(&m_texts[size_t(nRun)], 0, sizeof(RunTexts));
}

void TestRunRing::ResetAllSamples()
{
    std::fill(m_samples.begin(), m_samples.end(), SAMPLE_NONE);
}

// The sum is kept in 64 bits: absurd samples must not overflow it.
int32_t TestRunRing::ComputeAverageSpeed() const
{
    if (m_nCurrentRun < 0 || m_nCurrentRun >= MAX_TEST_RUNS)
        return 0;
    const uint32_t* pSamples = Samples(m_nCurrentRun);
    int64_t nSum = 0;
    int64_t nCount = 0;
    for (int i = 0; i < m_nSamplesPerRun; ++i) {
        if (IsValidSample(pSamples[i])) {
            nSum += int32_t(pSamples[i]);
            ++nCount;
        }
    }
    return nCount == 0 ? 0 : int32_t(nSum / nCount);
}

int32_t TestRunRing::GetStartSpeed() const
{
    if (m_nCurrentRun < 0 || m_nCurrentRun >= MAX_TEST_RUNS)
        return 0;
    const uint32_t* pSamples = Samples(m_nCurrentRun);
    for (int i = 0; i < m_nSamplesPerRun; ++i)
        if (IsValidSample(pSamples[i]))
            return int32_t(pSamples[i]);
    return 0;
}

int32_t TestRunRing::GetEndSpeed() const
{
    if (m_nCurrentRun < 0 || m_nCurrentRun >= MAX_TEST_RUNS)
        return 0;
    const uint32_t* pSamples = Samples(m_nCurrentRun);
    for (int i = m_nSamplesPerRun - 1; i >= 0; --i)
        if (IsValidSample(pSamples[i]))
            return int32_t(pSamples[i]);
    return 0;
}
