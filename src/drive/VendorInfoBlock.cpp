// src/drive/VendorInfoBlock.cpp
// The maker's vendor information block (serial number, TLA code, usage counters, interface code), read with the
// vendor command 0xF1 in one of its two forms.
#include "drive/DriveManager.h"

#include "drive/Cdb.h"
#include "drive/ModelTable.h"

namespace {

const int kPieceLength = 256;

} // namespace

// Normal form:  F1 | 00 | 2-5 address | 00 00 | 8-9 allocation length | 00 00
// Piece form:   F1 | 01 | 00 00 00 00 | 6-7 piece number | 8-9 piece length (at most 256) | 00 00
// The drives of the four-family group deliver the block only in pieces of 256 bytes from its start (the address
// is not used); piece i lands at buffer offset 256 * i, and the reading stops at the first piece that fails. The
// result is the status of the last command sent. A length of 0 or less sends nothing and gives 0, in both forms
// (the normal form would otherwise carry a negative length as a large allocation).
ExecStatus CDriveManager::ReadVendorInfoBlock(CDeviceRecord& record, DWORD address, int nLength, BYTE* pBuffer)
{
    if (nLength <= 0)
        return kExecFailed;
    if (!ContainsModelNumber(record.m_szProduct, g_FourFamilyGroup)) {
        BYTE cdb[12] = {0xF1};
        SetBe32(cdb + 2, address);
        SetBe16(cdb + 8, DWORD(nLength));
        return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
    }
    ExecStatus status = kExecFailed;
    for (int nPiece = 0; nPiece * kPieceLength < nLength; ++nPiece) {
        const int nRemaining = nLength - nPiece * kPieceLength;
        const int nPieceLength = nRemaining < kPieceLength ? nRemaining : kPieceLength;
        BYTE cdb[12] = {0xF1, 0x01};
        SetBe16(cdb + 6, DWORD(nPiece));
        SetBe16(cdb + 8, DWORD(nPieceLength));
        status = ExecScsiCommand(record, cdb, pBuffer + nPiece * kPieceLength, DWORD(nPieceLength));
        if (status != kExecCompleted)
            break;
    }
    return status;
}
