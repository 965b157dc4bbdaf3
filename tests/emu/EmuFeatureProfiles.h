// tests/emu/EmuFeatureProfiles.h
// Drives for the feature, text and speed queries: a ready-made profile under another identity, and the speed
// lists of the speed model (EmuSpeed.cpp).
#ifndef TAVISK_TESTS_EMU_EMUFEATUREPROFILES_H
#define TAVISK_TESTS_EMU_EMUFEATUREPROFILES_H

#include <cstdint>
#include <vector>

#include "Emu.h"

// Adds a drive of the profile (EmuProfiles.h) that answers INQUIRY with another vendor, product and revision.
int EmuAddProfileDriveAs(IEmuMachine* pMachine, int nProfile, const char* pszVendor, const char* pszProduct16,
                         const char* pszRevision);

// Supported CD read (and write) speeds in X; the drive starts at the fastest.
void EmuSetCdSpeeds(IEmuMachine* pMachine, int nDrive, const std::vector<int>& readX,
                    const std::vector<int>& writeX = {});

// Supported DVD read ranges (start, end KB/s) and write speeds (KB/s); the drive starts at the fastest.
void EmuSetDvdSpeeds(IEmuMachine* pMachine, int nDrive, const std::vector<std::pair<uint32_t, uint32_t>>& reads,
                     const std::vector<uint32_t>& writes);

#endif
