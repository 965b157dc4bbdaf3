// src/capture/PropertyBagText.cpp
#include "capture/PropertyBagText.h"

#include "capture/CaptureComSeam.h"

#include <oleauto.h>

// The variant starts empty and is cleared only when Read filled it: a failed Read (most devices have no
// "Description") leaves nothing to free.
bool ReadPropertyBagText(IPropertyBag* pBag, LPCOLESTR name, CString& text)
{
    if (pBag == nullptr)
        return false;
    VARIANT var;
    ::VariantInit(&var);
    if (FAILED(pBag->Read(name, &var, nullptr)))
        return false;
    const bool ok = var.vt == VT_BSTR;
    if (ok)
        text = WideToAnsi(var.bstrVal);
    CaptureVariantClear(&var);
    return ok;
}
