// src/report/VelloranDumpLines.cpp
#include "report/VelloranDumpLines.h"

#include <cstdarg>
#include <cstring>

void VelloranLines::Flags(DWORD value, std::initializer_list<VelloranFlag> flags)
{
    for (const VelloranFlag& flag : flags)
        Flag(flag.label, VelloranBit(value, flag.bit));
}

void VelloranLines::Choice(long code, std::initializer_list<VelloranChoice> choices)
{
    for (const VelloranChoice& choice : choices) {
        if (choice.code == code) {
            Add(choice.text);
            return;
        }
    }
}

void VelloranLines::Flag(LPCSTR label, bool value)
{
    Line(" %s : %s", label, value ? "true" : "false");
}

// Lines are formatted into a string that grows as needed: a long stored text is never cut or overflows, and a
// stored text reaches the line through "%s", so its own '%' signs stay as they are.
void VelloranLines::Line(LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    CString line;
    line.FormatV(format, args);
    va_end(args);
    m_dump.AddLine(line);
}

// A number setting written with a format holding one %d.
void VelloranLines::Number(LPCSTR name, LPCSTR format)
{
    DWORD value = 0;
    if (m_reader.Number(m_key, name, value))
        Line(format, int(value));
}

// A text setting written with a format holding one %s.
void VelloranLines::Text(LPCSTR name, LPCSTR format, bool needData)
{
    CString text;
    if (m_reader.Text(m_key, name, text, needData))
        Line(format, static_cast<LPCSTR>(text));
}

// A setting tested as a whole: true when it is not 0.
void VelloranLines::FlagWhenNotZero(LPCSTR name, LPCSTR label)
{
    DWORD value = 0;
    if (m_reader.Number(m_key, name, value))
        Flag(label, value != 0);
}

// The "LameConfig" record: a value of another size fills the record as far as it goes, the rest stays 0.
void VelloranLines::Lame(LPCSTR name)
{
    if (!m_reader.Read(m_key, name))
        return;
    BE_CONFIG config;
    memset(&config, 0, sizeof config);
    memcpy(&config, m_reader.Data(), m_reader.Size() < sizeof config ? m_reader.Size() : sizeof config);
    m_dump.DumpLameSettings(&config);
}

bool VelloranLines::OpenSection(const CRegKeyOwner& parent, LPCSTR heading, LPCSTR underline, LPCSTR subkey,
                                LPCSTR missing)
{
    Add(heading);
    Add(underline);
    if (OpenVelloranKey(parent, subkey, m_section)) {
        m_key = m_section.get();
        return true;
    }
    m_key = nullptr;
    if (missing != nullptr)
        Add(missing);
    return false;
}

void VelloranLines::CloseSection()
{
    m_section.Close();
    m_key = nullptr;
}
