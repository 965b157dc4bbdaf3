// tests/support/StringLists.h
// The class layer's string arrays as standard strings, for comparisons in tests.
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

} // namespace testsupport

#endif
