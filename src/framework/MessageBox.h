// src/framework/MessageBox.h
// The program's one message-box path. Every box (AfxMessageBox, CWnd::MessageBox, validation prompts, reported
// exceptions) goes through AfxShowMessageBox: no caption = the application's name; with test hooks installed the
// box is answered by the hook and never shown.
#ifndef TAVISK_FRAMEWORK_MESSAGEBOX_H
#define TAVISK_FRAMEWORK_MESSAGEBOX_H

#include <windows.h>

int AfxShowMessageBox(HWND hWndOwner, LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType);

// Owned by the active window of the program; caption = the application's name. A type without an icon gets the
// class library's default icon (exclamation for OK/OK-Cancel, question for Yes-No/Yes-No-Cancel).
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));

#endif
