// tests/support/StringLists.h
// The class layer's string arrays as standard strings, and texts split into lines, for comparisons in tests.
#ifndef TAVISK_TESTS_SUPPORT_STRINGLISTS_H
#define TAVISK_TESTS_SUPPORT_STRINGLISTS_H

#include <string>
#include <vector>

#include "framework/Array.h"
#include "framework/String.h"

namespace testsupport {

inline std::vector<std::string> Lines(const CStringArray& lines)
{
    std::vector<std::string> out;
    for (INT_PTR i = 0; i < lines.GetSize(); ++i)
        out.push_back(static_cast<LPCSTR>(lines[i]));
    return out;
}

// Splits on CR LF; a final CR LF ends the last line (no empty line after it).
std::vector<std::string> SplitCrLf(const std::string& text);
// Splits on LF; text after the last LF, even empty, is a line of its own.
std::vector<std::string> SplitLf(const std::string& text);

} // namespace testsupport

#endif
