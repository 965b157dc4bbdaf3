// src/capture/PropertyBagText.h
// Text properties of a device moniker's property bag ("FriendlyName", "Description", "DevicePath").
#ifndef TAVISK_CAPTURE_PROPERTYBAGTEXT_H
#define TAVISK_CAPTURE_PROPERTYBAGTEXT_H

#include "framework/String.h"

#include <windows.h>
#include <ocidl.h>

// The property in the ANSI code page; false (text unchanged) when it cannot be read as a string.
bool ReadPropertyBagText(IPropertyBag* pBag, LPCOLESTR name, CString& text);

#endif
