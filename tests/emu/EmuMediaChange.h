// tests/emu/EmuMediaChange.h
// Ejecting and loading the disc of an emulated drive of this module's machine, as the tray buttons do: the drive
// reports no medium while the tray is open, keeps the disc's description, and every letter of the drive gets the
// volume notice (WM_DEVICECHANGE) that Windows posts for a media change. START STOP UNIT with LoEj does the same.
#ifndef TAVISK_TESTS_EMU_EMUMEDIACHANGE_H
#define TAVISK_TESTS_EMU_EMUMEDIACHANGE_H

void EmuEjectDisc(int nDrive);
void EmuLoadDisc(int nDrive);

#endif
