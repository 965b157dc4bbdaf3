// src/drive/Aspi.h
// The request blocks and codes of the ASPI for Win32 interface ("wnaspi32.dll"), laid out byte for byte.
// Shared by the ASPI back end and the test ASPI library, so the static_asserts guard both sides.
#ifndef TAVISK_DRIVE_ASPI_H
#define TAVISK_DRIVE_ASPI_H

#include <cstddef>
#include <cstdint>

// SRB command codes
const uint8_t SC_HA_INQUIRY = 0x00;
const uint8_t SC_GET_DEV_TYPE = 0x01;
const uint8_t SC_EXEC_SCSI_CMD = 0x02;
const uint8_t SC_ABORT_SRB = 0x03;
const uint8_t SC_RESET_DEV = 0x04;

// SRB flags
const uint8_t SRB_POSTING = 0x01;
const uint8_t SRB_ENABLE_RESIDUAL_COUNT = 0x04;
const uint8_t SRB_DIR_IN = 0x08;
const uint8_t SRB_DIR_OUT = 0x10;
const uint8_t SRB_EVENT_NOTIFY = 0x40;

// SRB status codes (also the ExecStatus of a command under ASPI)
const uint8_t SS_PENDING = 0x00;
const uint8_t SS_COMP = 0x01;
const uint8_t SS_ABORTED = 0x02;
const uint8_t SS_ABORT_FAIL = 0x03;
const uint8_t SS_ERR = 0x04;
const uint8_t SS_INVALID_CMD = 0x80;
const uint8_t SS_INVALID_HA = 0x81;
const uint8_t SS_NO_DEVICE = 0x82;
const uint8_t SS_INVALID_SRB = 0xE0;
const uint8_t SS_OLD_MANAGER = 0xE1;
const uint8_t SS_ILLEGAL_MODE = 0xE2;
const uint8_t SS_NO_ASPI = 0xE3;
const uint8_t SS_FAILED_INIT = 0xE4;
const uint8_t SS_ASPI_IS_BUSY = 0xE5;
const uint8_t SS_BUFFER_TO_BIG = 0xE6;
const uint8_t SS_MISMATCHED_COMPONENTS = 0xE7;
const uint8_t SS_NO_ADAPTERS = 0xE8;
const uint8_t SS_INSUFFICIENT_RESOURCES = 0xE9;

// Target status in SRB_TargStat
const uint8_t STATUS_GOOD = 0x00;
const uint8_t STATUS_CHKCOND = 0x02;

const int ASPI_SENSE_LEN = 14;

#pragma pack(push, 1)

struct SRB_Header {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
};

struct SRB_HAInquiry {
    uint8_t SRB_Cmd; // SC_HA_INQUIRY
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t HA_Count;          // number of host adapters
    uint8_t HA_SCSI_ID;        // SCSI id of the host adapter
    uint8_t HA_ManagerId[16];  // text, not terminated
    uint8_t HA_Identifier[16]; // text, not terminated
    uint8_t HA_Unique[16];
    uint16_t HA_Rsvd1;
};

struct SRB_ExecSCSICmd {
    uint8_t SRB_Cmd; // SC_EXEC_SCSI_CMD
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t SRB_Target;
    uint8_t SRB_Lun;
    uint16_t SRB_Rsvd1;
    uint32_t SRB_BufLen;
    uint8_t* SRB_BufPointer;
    uint8_t SRB_SenseLen;
    uint8_t SRB_CDBLen;
    uint8_t SRB_HaStat;
    uint8_t SRB_TargStat;
    void* SRB_PostProc; // event handle when SRB_EVENT_NOTIFY is set
    uint8_t SRB_Rsvd2[20];
    uint8_t CDBByte[16];
    uint8_t SenseArea[ASPI_SENSE_LEN + 2];
};

#pragma pack(pop)

static_assert(sizeof(SRB_Header) == 8, "SRB_Header layout");
static_assert(sizeof(SRB_HAInquiry) == 60, "SRB_HAInquiry layout");
static_assert(offsetof(SRB_HAInquiry, HA_Count) == 8, "SRB_HAInquiry layout");
static_assert(offsetof(SRB_HAInquiry, HA_ManagerId) == 10, "SRB_HAInquiry layout");
static_assert(offsetof(SRB_HAInquiry, HA_Identifier) == 26, "SRB_HAInquiry layout");
static_assert(offsetof(SRB_HAInquiry, HA_Unique) == 42, "SRB_HAInquiry layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_Target) == 8, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufLen) == 12, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_SenseLen) == 20 || sizeof(void*) != 4, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, CDBByte) == 48 || sizeof(void*) != 4, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SenseArea) == 64 || sizeof(void*) != 4, "SRB_ExecSCSICmd layout");
static_assert(sizeof(SRB_ExecSCSICmd) == 80 || sizeof(void*) != 4, "SRB_ExecSCSICmd layout");

// Entry points of the library; both use the C calling convention.
using PFN_GetASPI32SupportInfo = uint32_t(__cdecl*)(void);
using PFN_SendASPI32Command = uint32_t(__cdecl*)(void* srb);

#endif
