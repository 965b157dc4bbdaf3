// tests/report_sections/VelloranTestSupport.h
// Running the sibling product's dumps over a fixture root and cutting a section out of their lines.
#ifndef TAVISK_TESTS_REPORT_SECTIONS_VELLORANTESTSUPPORT_H
#define TAVISK_TESTS_REPORT_SECTIONS_VELLORANTESTSUPPORT_H

#include "support/RegistryFixture.h"
#include "support/StringLists.h"

#include "report/VelloranRegistryDump.h"

#include <string>
#include <vector>

namespace sectiontest {

using namespace testsupport;

enum class Edition {
    Studio,
    Plus
};

inline std::vector<std::string> RunDump(HKEY root, Edition edition, int mode = kVelloranModeTextFile)
{
    CStringArray lines;
    CVelloranRegistryDump dump;
    dump.m_pLines = &lines;
    dump.m_nMode = mode;
    dump.m_hMachineRoot = root;
    if (edition == Edition::Studio)
        dump.DumpVelloranSettings();
    else
        dump.DumpVelloranPlusSettings();
    return Lines(lines);
}

// The lines of a section after its heading and underline, up to the empty line that ends it (empty when the
// heading is missing). Headings are unique within a dump, also where two sections read one key.
inline std::vector<std::string> SectionOf(const std::vector<std::string>& lines, const std::string& heading)
{
    std::vector<std::string> section;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] != heading)
            continue;
        for (size_t j = i + 2; j < lines.size() && !lines[j].empty(); ++j)
            section.push_back(lines[j]);
        break;
    }
    return section;
}

} // namespace sectiontest

#endif
