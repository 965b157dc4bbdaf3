// src/framework/DialogHooks.cpp
#include "framework/DialogHooks.h"

namespace {

// Set before the code under test runs and read on the user-interface thread only; no lock is taken.
const DialogHooks* g_pDialogHooks = nullptr;

} // namespace

const DialogHooks* SetDialogHooks(const DialogHooks* pHooks)
{
    const DialogHooks* pPrevious = g_pDialogHooks;
    g_pDialogHooks = pHooks;
    return pPrevious;
}

const DialogHooks* GetDialogHooks()
{
    return g_pDialogHooks;
}
