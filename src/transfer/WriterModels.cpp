// src/transfer/WriterModels.cpp
#include "transfer/WriterModels.h"

namespace {

template <int N>
constexpr ModelNumberGroup Group(const char* pszName, const char* const (&numbers)[N])
{
    return {pszName, numbers, N};
}

const char* const kDvdPlusRSimulationNumbers[] = {"QZ7710", "QZ7720", "QZ7730", "QZ7740", "QZ7750", "QZ7760", "QZ7770"};
const char* const kDvdPlusRwImmediateFormatNumbers[] = {"QZ7160", "QZ7200", "QZ7300"};
const char* const kDvdRamReadBasisNumbers[] = {"QZ7300"};
const char* const kCdEjectAfterSimulationNumbers[] = {"QZ5200", "QZ5240"};

} // namespace

const ModelNumberGroup g_DvdPlusRSimulationModels = Group("own DVD+R simulation", kDvdPlusRSimulationNumbers);
const ModelNumberGroup g_DvdPlusRwImmediateFormatModels =
    Group("DVD+RW format with Immed", kDvdPlusRwImmediateFormatNumbers);
const ModelNumberGroup g_DvdRamReadBasisModels = Group("DVD-RAM on the read basis", kDvdRamReadBasisNumbers);
const ModelNumberGroup g_CdEjectAfterSimulationModels =
    Group("tray opened after a CD test write", kCdEjectAfterSimulationNumbers);
