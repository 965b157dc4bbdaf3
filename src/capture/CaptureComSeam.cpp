// src/capture/CaptureComSeam.cpp
#include "capture/CaptureComSeam.h"

namespace {

const CaptureComTable kRealTable = {&::CoCreateInstance, &::VariantClear};
const CaptureComTable* g_pComTable = &kRealTable;

} // namespace

const CaptureComTable* SetCaptureComTable(const CaptureComTable* pTable)
{
    const CaptureComTable* pOld = g_pComTable;
    g_pComTable = pTable != nullptr ? pTable : &kRealTable;
    return pOld;
}

HRESULT CaptureCreateInstance(REFCLSID clsid, DWORD dwContext, REFIID iid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    auto pfn =
        g_pComTable->pfnCoCreateInstance != nullptr ? g_pComTable->pfnCoCreateInstance : kRealTable.pfnCoCreateInstance;
    return pfn(clsid, nullptr, dwContext, iid, ppv);
}

HRESULT CaptureVariantClear(VARIANTARG* pVar)
{
    auto pfn = g_pComTable->pfnVariantClear != nullptr ? g_pComTable->pfnVariantClear : kRealTable.pfnVariantClear;
    return pfn(pVar);
}
