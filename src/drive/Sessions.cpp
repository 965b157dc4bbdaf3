// src/drive/Sessions.cpp
// Session and track extents from the TOC, the full TOC and the Q sub-channel: the lead-out of an appendable
// session, whether a track ends a session, whether the disc takes another session, the real end of a track and
// the session-one tracks of the full TOC.
#include "drive/DriveManager.h"

#include <string.h>

#include <vector>

#include "drive/Cdb.h"
#include "drive/DiscText.h"

namespace {

const int kTocSize = 804;
const int kFullTocSmall = 2000;
const int kFullTocSize = 3000;
const int kLeadOutTrack = 110; // the Q track number AA read as BCD
const int kBackwardStep = 80;
const int kForwardStep = 10;
// The backward search from the next track's start has at most the gap between two sessions to cross: the first
// session's lead-out (6750 sectors), the next lead-in (4500) and the pregap (150), 143 steps of 80. A search that
// has not met the track after 160 steps stops there, whatever addresses the drive reported.
const int kMaxBackwardSteps = 160;

// A full TOC read into a cleared buffer, with the number of whole descriptors that lie inside both the length the
// drive reports and the buffer (bLengthIncludesHeader: the count is (length) / 11 as the callers take it).
struct FullToc {
    std::vector<BYTE> data;
    int count = 0;
    const BYTE* Descriptor(int i) const { return data.data() + 4 + 11 * i; }
};

bool ReadFullToc(CDriveManager& manager, CDeviceRecord& record, int nSize, FullToc& toc)
{
    toc.data.assign(size_t(nSize), 0);
    toc.count = 0;
    if (manager.ReadToc(record, 2, nSize, toc.data.data()) != kExecCompleted)
        return false;
    int count = int(GetBe16(toc.data.data())) / 11;
    int fits = (nSize - 4) / 11;
    toc.count = count < fits ? count : fits;
    return true;
}

// The TOC (format 0) with the number of its descriptors inside the answer.
struct Toc {
    std::vector<BYTE> data;
    int first = 0, last = 0, count = 0;
    // Start LBA of the descriptor at index i, false when it is not in the answer.
    bool Start(int i, long& lba) const
    {
        if (i < 0 || i >= count)
            return false;
        lba = long(GetBe32(data.data() + 4 + 8 * i + 4));
        return true;
    }
};

bool ReadPlainToc(CDriveManager& manager, CDeviceRecord& record, Toc& toc)
{
    toc.data.assign(kTocSize, 0);
    if (manager.ReadToc(record, 0, kTocSize, toc.data.data()) != kExecCompleted)
        return false;
    toc.first = toc.data[2];
    toc.last = toc.data[3];
    int held = int(GetBe16(toc.data.data())) + 2;
    if (held > kTocSize)
        held = kTocSize;
    toc.count = held > 4 ? (held - 4) / 8 : 0;
    return true;
}

} // namespace

long CDriveManager::GetSessionLeadOut(CDeviceRecord& record, int nTrack)
{
    FullToc toc;
    if (!ReadFullToc(*this, record, kFullTocSmall, toc))
        return -1;
    BYTE point = ToBcd(nTrack);
    long candidate = -1;
    bool haveCandidate = false;
    for (int i = 0; i < toc.count; ++i) {
        const BYTE* d = toc.Descriptor(i);
        if (d[3] == 0xA1 && d[8] == point && i + 1 < toc.count) {
            candidate = BcdMsfToLba(toc.Descriptor(i + 1) + 8);
            haveCandidate = true;
        } else if (d[3] == 0xB0 && d[4] != 0xFF && haveCandidate)
            return candidate;
    }
    return -1;
}

int CDriveManager::IsSessionLastTrack(CDeviceRecord& record, int nTrack, int nFlag)
{
    Toc plain;
    if (!ReadPlainToc(*this, record, plain))
        return 0;
    if (nTrack == plain.last && nFlag != 1)
        return 0;
    FullToc toc;
    if (!ReadFullToc(*this, record, kFullTocSmall, toc))
        return 0;
    BYTE point = ToBcd(nTrack);
    for (int i = 0; i < toc.count; ++i) {
        const BYTE* d = toc.Descriptor(i);
        if (d[3] == 0xA1 && d[8] == point)
            return 1;
    }
    return 0;
}

// A CD takes another session when the last session's B0 descriptor names a next program area; a DVD when its last
// session is not complete.
bool CDriveManager::IsDiscAppendable(CDeviceRecord& record)
{
    if (GetDvdMediaProfile(record, FALSE) == 0) {
        FullToc toc;
        if (!ReadFullToc(*this, record, kFullTocSmall, toc) || toc.count < 1)
            return false;
        int lastSession = toc.data[3];
        for (int i = 0; i < toc.count; ++i) {
            const BYTE* d = toc.Descriptor(i);
            if (d[3] == 0xB0 && d[0] == lastSession && !(d[4] == 0xFF && d[5] == 0xFF && d[6] == 0xFF))
                return true;
        }
        return false;
    }
    BYTE info[32];
    memset(info, 0, sizeof(info));
    if (ReadDiscInformation(record, sizeof(info), info) != kExecCompleted)
        return false;
    return ((info[2] >> 2) & 3) != 3;
}

int CDriveManager::CountSessionOneTracks(CDeviceRecord& record, int* pCount, int* pPregap)
{
    FullToc toc;
    if (!ReadFullToc(*this, record, kFullTocSize, toc))
        return 0;
    int count = 0;
    for (int i = 0; i < toc.count; ++i) {
        const BYTE* d = toc.Descriptor(i);
        if (d[0] == 1 && d[3] <= 0x99)
            ++count;
    }
    *pCount = count;
    *pPregap = 150;
    return 1;
}

void CDriveManager::GetTrackExtent(CDeviceRecord& record, int nTrack, long* pStart, long* pEnd)
{
    FullToc toc;
    if (!ReadFullToc(*this, record, kFullTocSize, toc) || toc.count < 1)
        return;
    int last = 0, pregap = 0;
    if (!CountSessionOneTracks(record, &last, &pregap))
        return;
    BYTE point = ToBcd(nTrack);
    for (int i = 0; i < toc.count; ++i) {
        const BYTE* d = toc.Descriptor(i);
        if (d[0] != 1)
            continue;
        if (d[3] == point) {
            *pStart = BcdMsfToLba(d + 8);
            if (nTrack != last && i + 1 < toc.count)
                *pEnd = BcdMsfToLba(toc.Descriptor(i + 1) + 8);
        }
        if (nTrack == last && d[3] == 0xA2)
            *pEnd = BcdMsfToLba(d + 8);
    }
}

// The start and the next track's start from the full TOC or the TOC, both taken into the addresses a CD can have;
// for a track that is not the last one, the real end is where the Q sub-channel stops reporting the track: a
// backward search from the next start in steps of 80 sectors (not before the track's start, at most 160 steps)
// finds a run inside the track, a forward search in steps of 10 (not beyond the next start) the first sector of
// the next track or the lead-out. A next start that does not lie after the start gives the length 0.
void CDriveManager::MeasureTrackExtent(CDeviceRecord& record, int nTrack, long* pStart, long* pLength, BOOL bFullToc)
{
    TestUnitReady(record);
    Toc plain;
    if (!ReadPlainToc(*this, record, plain))
        return;
    int index = nTrack - plain.first;
    long start = 0, next = 0;
    if (bFullToc) {
        int count = 0, pregap = 0;
        CountSessionOneTracks(record, &count, &pregap);
        GetTrackExtent(record, index + 1, &start, &next);
    } else if (!plain.Start(index, start) || !plain.Start(index + 1, next))
        return;
    start = ClampToCdRange(start);
    next = ClampToCdRange(next);

    *pStart = start;
    if (nTrack >= plain.last || next <= start) {
        *pLength = next > start ? next - start : 0;
        return;
    }
    int numbers[10];
    long p = next - 1;
    for (int step = 1;; ++step) {
        for (int& n : numbers)
            n = -1;
        ReadQTrackNumbers(record, p, numbers);
        if (numbers[0] == nTrack || p - kBackwardStep < start || step >= kMaxBackwardSteps)
            break;
        p -= kBackwardStep;
    }
    long end = next;
    for (; p < next; p += kForwardStep) {
        for (int& n : numbers)
            n = -1;
        ReadQTrackNumbers(record, p, numbers);
        bool found = false;
        for (int i = 0; i < 10; ++i) {
            if (numbers[i] == nTrack + 1 || numbers[i] == kLeadOutTrack) {
                end = p + i;
                found = true;
                break;
            }
        }
        if (found)
            break;
    }
    *pLength = (end < next ? end : next) - start;
}

void CDriveManager::FillTrackRange(CDeviceRecord& record, int nTrack, BYTE* pRange10, BOOL bFullToc)
{
    long leadOut = GetSessionLeadOut(record, nTrack);
    long start = 0, length = 0;
    Toc plain;
    bool haveToc = ReadPlainToc(*this, record, plain);
    if (bFullToc) {
        long end = 0;
        if (haveToc)
            GetTrackExtent(record, nTrack - plain.first + 1, &start, &end);
    } else if (haveToc)
        plain.Start(nTrack - plain.first, start);
    start = ClampToCdRange(start);
    if (leadOut == -1) {
        MeasureTrackExtent(record, nTrack, &start, &length, bFullToc);
    } else {
        leadOut = ClampToCdRange(leadOut);
        length = leadOut > start ? leadOut - start : 0;
    }
    SetBe32(pRange10 + 2, DWORD(start + 150));
    SetBe32(pRange10 + 6, DWORD(length));
}

int CDriveManager::GetTrackRange(CDeviceRecord& record, BYTE track, BYTE* pRange10, BOOL bFullToc)
{
    FillTrackRange(record, track, pRange10, bFullToc);
    return 1;
}
