// src/transfer/WriterModels.h
// The maker's writer families that the write tests treat in their own way. Each list is matched with
// ContainsModelNumber, its numbers as substrings of a product identification: the drive's own (its INQUIRY text,
// kept in the device record) or that of the drive's row in the model table, as each list says.
#ifndef TAVISK_TRANSFER_WRITERMODELS_H
#define TAVISK_TRANSFER_WRITERMODELS_H

#include "drive/ModelTable.h"

// DVD write: drives with their own simulation of DVD+R writing, switched by the vendor option (the record's text).
extern const ModelNumberGroup g_DvdPlusRSimulationModels;
// DVD write: drives that format a DVD+RW in the background, FORMAT UNIT with Immed (the model row's text).
extern const ModelNumberGroup g_DvdPlusRwImmediateFormatModels;
// DVD write: the family that counts DVD-RAM samples on the 1385 KB/s basis (the record's text).
extern const ModelNumberGroup g_DvdRamReadBasisModels;
// CD write: drives whose tray is opened after a test write (the model row's text).
extern const ModelNumberGroup g_CdEjectAfterSimulationModels;

#endif
