// src/framework/Shell.cpp
#include "framework/Shell.h"

#include <shellapi.h>

namespace {

HINSTANCE RealShellExecute(HWND hWnd, LPCSTR pszVerb, LPCSTR pszFile, LPCSTR pszParameters, LPCSTR pszDirectory,
                           INT nShowCmd)
{
    return ::ShellExecuteA(hWnd, pszVerb, pszFile, pszParameters, pszDirectory, nShowCmd);
}

const ShellHooks kRealShell = {&RealShellExecute};
const ShellHooks* g_pShellHooks = &kRealShell;

} // namespace

const ShellHooks* SetShellHooks(const ShellHooks* pHooks)
{
    const ShellHooks* pPrevious = g_pShellHooks;
    g_pShellHooks = pHooks != nullptr ? pHooks : &kRealShell;
    return pPrevious;
}

HINSTANCE ShellExecuteCall(HWND hWnd, LPCSTR pszVerb, LPCSTR pszFile, LPCSTR pszParameters, LPCSTR pszDirectory,
                           INT nShowCmd)
{
    if (g_pShellHooks->pfnShellExecute == nullptr)
        return RealShellExecute(hWnd, pszVerb, pszFile, pszParameters, pszDirectory, nShowCmd);
    return g_pShellHooks->pfnShellExecute(hWnd, pszVerb, pszFile, pszParameters, pszDirectory, nShowCmd);
}
