// src/framework/VersionResource.h
// A file's version resource loaded into memory, with the string items of its first translation.
#ifndef TAVISK_FRAMEWORK_VERSIONRESOURCE_H
#define TAVISK_FRAMEWORK_VERSIONRESOURCE_H

#include <windows.h>

#include <vector>

// Size of the text buffers the version texts are copied into.
const int kVersionTextSize = 260;

class CVersionResource {
public:
    // Loads the resource of the file; Exists() is false when it has none or cannot be read.
    explicit CVersionResource(LPCSTR pszFile);

    bool Exists() const { return !m_data.empty(); }

    // The value "\StringFileInfo\<first translation>\<item>" copied into pszOut (kVersionTextSize characters,
    // cut to fit, never read past the length the resource states); false, with pszOut unchanged, when the item or
    // the translation is missing.
    bool Query(LPCSTR pszItem, char* pszOut) const;

private:
    std::vector<char> m_data;
    DWORD m_nKey = 0;
    bool m_bHasTranslation = false;
};

#endif
