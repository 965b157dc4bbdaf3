// res/resource.h
// Numeric identifiers of Tavisk's resources: dialogs, menus, icons, controls, commands and strings.
// Included by Tavisk.rc (windres) and by the C++ sources, so it holds #define constants only.
#ifndef TAVISK_RES_RESOURCE_H
#define TAVISK_RES_RESOURCE_H

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
// The transfer-rate test windows
#include "TransferResource.h"

#endif

// Dialog templates
#define IDD_ABOUTBOX                    100
#define IDD_MAIN_DIALOG                 102
#define IDD_FWUPDATE                    1014
#define IDD_HLINK_PAGE                  154

// Icons
#define IDI_ABOUT                       128
#define IDI_MAIN                        130

// Menus
#define IDR_MAIN_MENU                   152

// Controls of the main dialog (102)
#define IDC_REPORT_LIST                 1000
#define IDC_PRINT                       1001
#define IDC_SAVE                        1002
#define IDC_REFRESH                     1003

// Controls of the About box (100)
#define IDC_ABOUT_VERSION               1004

// Controls of the firmware update dialog (1014)
#define IDC_FWUPDATE_HEADING            1015
#define IDC_FWUPDATE_LINK               1016
#define IDC_FWUPDATE_AUTOCHECK          1017
#define IDC_FWUPDATE_LIST               1020

// The test pages' print-note dialog (166) and information dialog (167)
#define IDD_PRINT_TEXT                  166
#define IDD_TEST_INFO                   167
#define IDC_PRINT_NOTE                  1058
#define IDC_INFO_HEADING                1059
#define IDC_INFO_BODY                   1004
#define IDC_INFO_FIRST_NOTE             1060
#define IDC_INFO_SECOND_NOTE            1027

// Menu commands (menu 152)
#define ID_OPTIONS_CHECK_FIRMWARE       32773
#define ID_OPTIONS_EXIT                 32774
#define ID_OPTIONS_PREFERENCES          32789
#define ID_OPTIONS_SHOW_FUNCTIONS       32790

// System-menu command added at run time to the main dialog
#define IDM_ABOUTBOX                    0x0010

// Strings: main window
#define IDS_ABOUTBOX                    101
#define IDS_VERSION                     102

// Strings: drive sense messages
#define IDS_SENSE_NO_DISC               103
#define IDS_SENSE_TOC_IN_PROGRESS       104
#define IDS_SENSE_NOT_READY             105
#define IDS_SENSE_RECOVERED_ERROR       106
#define IDS_SENSE_SEEK_FAILED           107
#define IDS_SENSE_BUFFER_UNDERRUN       108
#define IDS_SENSE_UNRECOVERED_READ      109
#define IDS_SENSE_LEAD_IN_ERROR         110
#define IDS_SENSE_LEAD_OUT_ERROR        111
#define IDS_SENSE_OPC_FAILED            112
#define IDS_SENSE_MEDIUM_ERROR          113
#define IDS_SENSE_BUS_ERROR             114
#define IDS_SENSE_HARDWARE_ERROR        115
#define IDS_SENSE_INVALID_COMMAND       116
#define IDS_SENSE_LBA_OUT_OF_RANGE      117
#define IDS_SENSE_INVALID_ADDRESS       118
#define IDS_SENSE_INVALID_PARAMETER     119
#define IDS_SENSE_UNIT_NOT_SUPPORTED    120
#define IDS_SENSE_INVALID_PARAM_LIST    121
#define IDS_SENSE_ILLEGAL_TRACK_MODE    122
#define IDS_SENSE_ILLEGAL_REQUEST       123
#define IDS_SENSE_RESET_OCCURRED        124
#define IDS_SENSE_UNIT_ATTENTION        125
#define IDS_SENSE_COMMAND_ABORTED       126
#define IDS_SENSE_UNSPECIFIED           127

// Strings: help launcher errors
#define IDS_HELP_OUT_OF_MEMORY          131
#define IDS_HELP_NOT_FOUND              132
#define IDS_HELP_PATH_NOT_FOUND         133
#define IDS_HELP_BAD_FORMAT             134

// Strings: report (ASPI note)
#define IDS_ASPI_NOT_USED               135

// Strings: Stratafit results and status
#define IDS_SF_DEFAULT_OK               136
#define IDS_SF_WRITE_ERROR_LIKELY       137
#define IDS_SF_NOT_RECORDABLE           138
#define IDS_SF_NOT_RECORDABLE_AT_SPEED  139
#define IDS_SF_MEASURE_FAILED           140
#define IDS_SF_MEASURE_FAILED_2         141
#define IDS_SF_BAD_CHARACTERISTICS      142
#define IDS_SF_INCORRECT_POWER          143
#define IDS_SF_ADJUSTED                 144
#define IDS_SF_ADJUST_FAILED_DEFAULT    145
#define IDS_SF_OVER_6X                  146
#define IDS_SF_CORRECTION_FAILED        147
#define IDS_SF_RECORDING_ERROR          148
#define IDS_SF_NO_TEST_DONE             149
#define IDS_SF_DEFAULT_OK_2             150
#define IDS_SF_MEDIA_GOOD               151
#define IDS_SF_BUSY                     152
#define IDS_SF_DISABLED                 153
#define IDS_SF_NOT_EXECUTED             154
#define IDS_SF_ERROR                    155
#define IDS_SF_GOOD_MEDIA               158
#define IDS_SF_NORMAL_MEDIA             159
#define IDS_SF_BAD_MEDIA                160
#define IDS_SF_MEDIA_NOT_SUPPORTED      161

// Strings: help file and program name
#define IDS_HELP_FILE                   156
#define IDS_PROGRAM_NAME                162

// Strings: transfer-rate tests
#define IDS_READ_ERROR_MSF              163
#define IDS_READ_TEST_TITLE             164
#define IDS_READY                       165
#define IDS_START                       166
#define IDS_STOP                        167
#define IDS_VIEW_RESULTS                168
#define IDS_START_TEST                  169
#define IDS_DISC_INFO_ERROR             170
#define IDS_CUE_SHEET_ERROR             171
#define IDS_WRITE_ERROR_MSF             172
#define IDS_ERASE_AND_CONTINUE          173
#define IDS_NO_BLANK_CD                 174
#define IDS_MODE_PAGE_ERROR             175
#define IDS_SIMULATION_UNSUPPORTED      176
#define IDS_NOT_A_WRITER                177
#define IDS_WRITE_TEST_TITLE            178
#define IDS_READ_ERROR_LBA              179
#define IDS_WRITE_ERROR_LBA             180
#define IDS_OVERWRITE_AND_CONTINUE      181
#define IDS_INSERT_BLANK                182
#define IDS_MEDIA_SIMULATION_UNSUPPORTED 183
#define IDS_READ_TEST_INFO              184
#define IDS_WRITE_TEST_INFO             185

// Strings: CD-TEXT defaults
#define IDS_CDTEXT_UNKNOWN_DISC         186
#define IDS_CDTEXT_UNKNOWN_TITLE        187
#define IDS_CDTEXT_UNKNOWN_ARTIST       188

// Strings of the class layer's data validation
#define IDS_DDV_INT_RANGE               0xF100
#define IDS_DDV_INT                     0xF101
#define IDS_DDV_MAX_CHARS               0xF102

// The transfer-rate test windows
#include "TransferResource.h"


// Preferences sheet: the "General" page (proxy, update check) and the transfer-rate page.
#define IDD_PROXY                       151
#define IDD_PROP_TRANSFER_RATE          168
#define IDC_USE_PROXY                   1005
#define IDC_PROXY_USER                  1010
#define IDC_PROXY_PASSWORD              1011
#define IDC_PROXY_SERVER                1012
#define IDC_PROXY_PORT                  1013
#define IDC_AUTO_CHECK                  1023
#define IDC_PREF_SIMULATE               1023
#define IDC_PREF_OVERBURN               1061
#define IDC_PREF_SAMPLE_LEN             1062
#define IDC_PREF_TEST_EVERY             1063
#define IDC_PREF_MAX_READ               1064
#define IDC_PREF_MAX_READ_SPIN          1065
#define IDC_PREF_MAX_DVD_READ           1066
#define IDC_PREF_MAX_DVD_READ_SPIN      1067
#define IDC_PREF_CD_READ_LEN            1068
#define IDC_PREF_DVD_READ_LEN           1069
#define IDC_PREF_TEST_EVERY_WRITE       1070
#define IDC_PREF_MAX_WRITE              1071
#define IDC_PREF_MAX_WRITE_SPIN         1072
#define IDC_PREF_MAX_DVD_WRITE          1073
#define IDC_PREF_MAX_DVD_WRITE_SPIN     1074
#define IDC_PREF_CD_WRITE_LEN           1075
#define IDC_PREF_DVD_WRITE_LEN          1076
#define IDC_PREF_DATA_FORMAT            1077
#define IDC_PREF_OVERBURN_LEN           1078

#endif
