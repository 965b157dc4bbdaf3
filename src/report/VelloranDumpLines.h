// src/report/VelloranDumpLines.h
// The line forms of the sibling product's dumps (flag, enumeration, number and text lines) over one open settings
// key, written through a dump's line sink. Used by the two editions' dumps only.
#ifndef TAVISK_REPORT_VELLORANDUMPLINES_H
#define TAVISK_REPORT_VELLORANDUMPLINES_H

#include "report/VelloranRegistryDump.h"
#include "report/VelloranValueReader.h"

#include <initializer_list>

struct VelloranFlag {
    int bit;
    LPCSTR label;
};

struct VelloranChoice {
    long code;
    LPCSTR text;
};

class VelloranLines {
public:
    explicit VelloranLines(CVelloranRegistryDump& dump) : m_dump(dump) {}

    void Add(LPCSTR line) { m_dump.AddLine(line); }
    void Line(LPCSTR format, ...) TAVISK_PRINTF_FORMAT(2, 3);
    // " <label> : true" or " <label> : false".
    void Flag(LPCSTR label, bool value);
    // One flag line per entry, in the order given, for the entry's bit of the value.
    void Flags(DWORD value, std::initializer_list<VelloranFlag> flags);
    // The text of the code's entry; no line for a code without one.
    void Choice(long code, std::initializer_list<VelloranChoice> choices);

    // Lines of a value of the open section; an unreadable value writes nothing.
    void Number(LPCSTR name, LPCSTR format);
    void Text(LPCSTR name, LPCSTR format, bool needData = false);
    void FlagWhenNotZero(LPCSTR name, LPCSTR label);
    void Lame(LPCSTR name);

    // Heading and underline, then the section's key opened below `parent`; without it the missing-key line (none
    // when `missing` is null) and false.
    bool OpenSection(const CRegKeyOwner& parent, LPCSTR heading, LPCSTR underline, LPCSTR subkey, LPCSTR missing);
    void CloseSection();

    HKEY Key() const { return m_key; }
    CVelloranValueReader& Reader() { return m_reader; }

private:
    CVelloranRegistryDump& m_dump;
    CVelloranValueReader m_reader;
    CRegKeyOwner m_section;
    HKEY m_key = nullptr;
};

#endif
