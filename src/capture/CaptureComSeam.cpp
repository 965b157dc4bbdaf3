// src/capture/CaptureComSeam.cpp
#include "capture/CaptureComSeam.h"

namespace {

const CaptureComHooks kRealHooks = {&::CoCreateInstance, &::VariantClear};
const CaptureComHooks* g_pComHooks = &kRealHooks;

} // namespace

const CaptureComHooks* SetCaptureComHooks(const CaptureComHooks* pHooks)
{
    const CaptureComHooks* pOld = g_pComHooks;
    g_pComHooks = pHooks != nullptr ? pHooks : &kRealHooks;
    return pOld;
}

HRESULT CaptureCreateInstance(REFCLSID clsid, DWORD dwContext, REFIID iid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    auto pfn =
        g_pComHooks->pfnCoCreateInstance != nullptr ? g_pComHooks->pfnCoCreateInstance : kRealHooks.pfnCoCreateInstance;
    return pfn(clsid, nullptr, dwContext, iid, ppv);
}

HRESULT CaptureVariantClear(VARIANTARG* pVar)
{
    auto pfn = g_pComHooks->pfnVariantClear != nullptr ? g_pComHooks->pfnVariantClear : kRealHooks.pfnVariantClear;
    return pfn(pVar);
}
