// src/framework/TestHooks.cpp
#include "framework/TestHooks.h"

namespace {
CTestHooks* g_pTestHooks = nullptr;
}

CTestHooks* AfxGetTestHooks()
{
    return g_pTestHooks;
}

// Tests install the hooks from the user-interface thread before any window exists; no lock is taken.
CTestHooks* AfxSetTestHooks(CTestHooks* pHooks)
{
    CTestHooks* pOld = g_pTestHooks;
    g_pTestHooks = pHooks;
    return pOld;
}
