// tests/drive/features/SpeedComboDialog.h
// A modeless dialog holding the speed combo boxes, as the transfer-rate test pages hold theirs.
#ifndef TAVISK_TESTS_DRIVE_FEATURES_SPEEDCOMBODIALOG_H
#define TAVISK_TESTS_DRIVE_FEATURES_SPEEDCOMBODIALOG_H

#define IDD_SPEED_COMBOS 900
#define IDC_READ_SPEED 901
#define IDC_WRITE_SPEED 902

#endif
