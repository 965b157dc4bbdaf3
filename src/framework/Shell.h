// src/framework/Shell.h
// The one seam for handing a document, a link or a program to the shell. The default calls shell32; test
// programs install a table that records the call instead of starting a browser or a mail program.
#ifndef TAVISK_FRAMEWORK_SHELL_H
#define TAVISK_FRAMEWORK_SHELL_H

#include <windows.h>

struct ShellHooks {
    HINSTANCE (*pfnShellExecute)
    (HWND hWnd, LPCSTR pszVerb, LPCSTR pszFile, LPCSTR pszParameters, LPCSTR pszDirectory, INT nShowCmd);
};

// Installs a hook table (kept by pointer); null restores the real shell. Returns the table that was in use.
const ShellHooks* SetShellHooks(const ShellHooks* pHooks);

// ShellExecute through the installed table: above 32 on success, an error code of 32 or below otherwise.
HINSTANCE ShellExecuteCall(HWND hWnd, LPCSTR pszVerb, LPCSTR pszFile, LPCSTR pszParameters, LPCSTR pszDirectory,
                           INT nShowCmd);

#endif
