// src/capture/PropertyBagText.cpp
#include "capture/PropertyBagText.h"

#include <oleauto.h>

bool ReadPropertyBagText(IPropertyBag* pBag, LPCOLESTR name, CString& text)
{
    if (pBag == nullptr)
        return false;
    VARIANT var;
    ::VariantInit(&var);
    var.vt = VT_BSTR;
    bool ok = false;
    if (SUCCEEDED(pBag->Read(name, &var, nullptr)) && var.vt == VT_BSTR) {
        text = WideToAnsi(var.bstrVal);
        ok = true;
    }
    ::VariantClear(&var);
    return ok;
}
