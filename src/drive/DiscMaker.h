// src/drive/DiscMaker.h
// The disc maker table: the lead-in start codes that the ATIP of a recordable CD carries (minute 97, a second and
// a frame; frames compared in tens), per maker, for CD-R, high-capacity CD-R and CD-RW discs.
#ifndef TAVISK_DRIVE_DISCMAKER_H
#define TAVISK_DRIVE_DISCMAKER_H

#include <windows.h>

// One row, 224 bytes; a slot that is not used holds -1 in all its fields.
struct DiscMakerRecord {
    char name[100];
    struct {
        LONG second, frame;
    } cdr[6];
    struct {
        LONG minute, second, frame;
    } highCapacity[3];
    struct {
        LONG second, frame, leadOutLimit;
    } cdrw[3];  // limit: (M × 60 + S) × 75 + F, 0 for any
    LONG value; // handed to the caller with a match
};
static_assert(sizeof(DiscMakerRecord) == 224, "disc maker row layout");

const int kDiscMakerRows = 78;
extern const DiscMakerRecord g_DiscMakerTable[kDiscMakerRows];

// The value returned when no row names the disc: 10 × 2^20.
const LONG kDiscMakerNoMatchValue = 10L << 20;

// A lead-out limit as the table keeps it, from minutes, seconds and frames.
constexpr LONG LeadOutLimit(LONG m, LONG s, LONG f)
{
    return (m * 60 + s) * 75 + f;
}

// The first row (table order, each row's codes in order) with a CD-R code (second, frame / 10), a high-capacity
// code (minute, second, frame / 10) or a CD-RW code (second, frame / 10, lead-out limit equal or 0); null when
// none matches.
const DiscMakerRecord* FindCdrMaker(int second, int frame);
const DiscMakerRecord* FindHighCapacityMaker(int minute, int second, int frame);
const DiscMakerRecord* FindCdrwMaker(int second, int frame, LONG leadOutLimit);

#endif
