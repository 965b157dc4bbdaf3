// tests/framework_gui/TestResource.h
// Resource ids of the window-layer tests' own dialogs.
#ifndef TAVISK_TESTS_FRAMEWORK_GUI_TESTRESOURCE_H
#define TAVISK_TESTS_FRAMEWORK_GUI_TESTRESOURCE_H

#define IDD_FIELDS 2001
#define IDD_CHILD_PAGE 2002
#define IDD_POPUP 2003
#define IDD_APP 2004

#define IDC_NAME 1010
#define IDC_COUNT 1011
#define IDC_FLAG 1012
#define IDC_WATCHED 1013
#define IDC_THROW 1020
#define IDC_LIST 1000
#define IDC_HELLO 1001
#define IDC_APP_THROW 1002
#define IDC_PAGE_BUTTON 1030

#define ID_APP_EXIT_COMMAND 32774

#endif
