// res/TransferResource.h
// Identifiers of the transfer-rate test windows: the four test pages, the test window, the results dialog and the
// pages' right-click menu. Included by resource.h.
#ifndef TAVISK_RES_TRANSFERRESOURCE_H
#define TAVISK_RES_TRANSFERRESOURCE_H

// Dialog templates
#define IDD_CD_READ_TEST                156
#define IDD_TEST_RESULTS                159
#define IDD_TEST_WINDOW                 161
#define IDD_CD_WRITE_TEST               162
#define IDD_DVD_READ_TEST               163
#define IDD_DVD_WRITE_TEST              164

// Menu 157 (right click on a test page)
#define IDR_TRANSFER_MENU               157
#define ID_TRANSFER_SAVE_IMAGE          32786
#define ID_TRANSFER_SAVE_HTML           32787
#define ID_TRANSFER_PRINT               32788

// Controls of the test pages (163, 156, 164; the CD write page 162 numbers some of its own)
#define IDC_TP_HELP                     1001
#define IDC_TP_START_CAPTION            1004
#define IDC_TP_GRAPH                    1025
#define IDC_TP_SCALE_LABEL              1026
#define IDC_TP_END_CAPTION              1027
#define IDC_TP_CURRENT_CAPTION          1028
#define IDC_TP_START_VALUE              1029
#define IDC_TP_END_VALUE                1030
#define IDC_TP_CURRENT_VALUE            1031
#define IDC_TP_PROGRESS                 1032
#define IDC_TP_SPEED                    1033
#define IDC_TP_VIEW_LOG                 1034
#define IDC_TP_PREFERENCES              1035
#define IDC_TP_START                    1037
#define IDC_TP_DVDW_SPEED               1057
#define IDC_TPCW_GRAPH                  1047
#define IDC_TPCW_SCALE_LABEL            1048
#define IDC_TPCW_START_VALUE            1049
#define IDC_TPCW_END_VALUE              1050
#define IDC_TPCW_CURRENT_VALUE          1051
#define IDC_TPCW_SPEED                  1052
#define IDC_TPCW_VIEW_LOG               1053
#define IDC_TPCW_START                  1054
#define IDC_TPCW_MSF_VALUE              1055
#define IDC_TPCW_LBA_VALUE              1056

// Controls of the results dialog (159)
#define IDC_TR_SWATCH                   1025
#define IDC_TR_SPIN                     1038
#define IDC_TR_RUN                      1039
#define IDC_TR_CLEAR                    1040
#define IDC_TR_CLEAR_ALL                1041
#define IDC_TR_TEXT_FIRST               1042   // labels 1042 to 1047
#define IDC_TR_TEXT_LAST                1047

// Controls of the test window (161)
#define IDC_TW_FRAME                    1046
#define IDC_TW_DRIVE                    1079
#define IDC_TW_KIND                     1080

#endif
