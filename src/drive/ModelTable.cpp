// src/drive/ModelTable.cpp
// The maker's model table as data. Every model number here is fictional: "QZ" and four digits, with an optional
// suffix letter (U for the USB product, F for the IEEE 1394 product, S for the Serial ATA product of a family).
// Product identifications are a seven-character category prefix ("CDROM  ", "CD-R   ", "DVD    ", "DVDR   ")
// followed by the model number, as the drives report them in their 16-character INQUIRY text.
//
// The lookup takes the first row whose productId is a prefix of the drive's identification, so a row whose
// identification extends another row's identification is listed before it (the bridged products first, the
// programming-mode row before its drive's row, the longer family number before the shorter).
#include "drive/ModelTable.h"

#include <string.h>

// Row layout: productId, name, cdSpeeds, dvdSpeeds, thirdSpeeds,
//             isWriter, flag2, flag3, bufferUnderrunProof, c2Pointers, tenByteCommands, vendorInfo,
//             code, value1, value2, value3, value4, firmwareId
// clang-format off
const ModelRecord g_ModelTable[kModelTableRows] = {
    // Bridged products: the identifications the rewrite rules produce for drives behind USB, IEEE 1394 and
    // Serial ATA bridges.
    { "CD-R   QZ5200U", "QZ-5200U USB CD-RW",
      { "4X CLV", "8X CLV", "10-24X CAV" }, {}, {},
      1, 1, 0, 1, 1, 1, 1, "5201", 18, 24, 2048, 0, "KORVATH SORREL 5201" },
    { "CD-R   QZ5240U", "QZ-5240U USB CD-RW",
      { "4X CLV", "8X CLV", "16X CLV", "16-40X CAV" }, {}, {},
      1, 1, 0, 1, 1, 1, 1, "5241", 18, 40, 2048, 0, "KORVATH TANSY 5241" },
    { "CD-R   QZ5280UL", "QZ-5280UL USB CD-RW",
      { "4X CLV", "8X CLV", "16X CLV", "20-48X CAV" }, {}, {},
      1, 1, 0, 1, 1, 1, 1, "5282", 18, 48, 8192, 0, "KORVATH YARROW 5282" },
    { "CD-R   QZ5280U", "QZ-5280U USB CD-RW",
      { "4X CLV", "8X CLV", "16X CLV", "20-48X CAV" }, {}, {},
      1, 1, 0, 1, 1, 1, 1, "5281", 18, 48, 2048, 0, "KORVATH YARROW 5281" },
    { "DVDR   QZ7160U", "QZ-7160U USB DVD-RW",
      { "10-24X CAV", "16-40X CAV" }, { "2X CLV", "3-8X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7161", 255, 16, 2048, 3, "KORVATH MALLOW 7161" },
    { "DVDR   QZ7160F", "QZ-7160F 1394 DVD-RW",
      { "10-24X CAV", "16-40X CAV" }, { "2X CLV", "3-8X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7162", 255, 16, 2048, 3, "KORVATH MALLOW 7162" },
    { "DVDR   QZ7160S", "QZ-7160S SATA DVD-RW",
      { "10-24X CAV", "16-40X CAV" }, { "2X CLV", "3-8X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7163", 255, 16, 2048, 3, "KORVATH MALLOW 7163" },
    { "DVDR   QZ7200U", "QZ-7200U USB DVD-RW",
      { "10-24X CAV", "20-48X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7201", 255, 16, 2048, 4, "KORVATH CHERVIL 7201" },
    { "DVDR   QZ7200F", "QZ-7200F 1394 DVD-RW",
      { "10-24X CAV", "20-48X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7202", 255, 16, 2048, 4, "KORVATH CHERVIL 7202" },
    { "DVDR   QZ7200S", "QZ-7200S SATA DVD-RW",
      { "10-24X CAV", "20-48X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7203", 255, 16, 2048, 4, "KORVATH CHERVIL 7203" },
    { "DVDR   QZ7240AU", "QZ-7240AU Ext DVD-RW",
      { "10-24X CAV", "20-48X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7245", 255, 16, 2048, 5, "KORVATH HEATHER 7245" },
    { "DVDR   QZ7240U", "QZ-7240U USB DVD-RW",
      { "10-24X CAV", "20-48X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7241", 255, 16, 2048, 5, "KORVATH HEATHER 7241" },
    { "DVDR   QZ7240F", "QZ-7240F 1394 DVD-RW",
      { "10-24X CAV", "20-48X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7242", 255, 16, 2048, 5, "KORVATH HEATHER 7242" },
    { "DVDR   QZ7240S", "QZ-7240S SATA DVD-RW",
      { "10-24X CAV", "20-48X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7243", 255, 16, 2048, 5, "KORVATH HEATHER 7243" },
    { "DVDR   QZ7300S", "QZ-7300S SATA DVD-RW",
      { "10-24X CAV", "20-48X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7301", 255, 16, 2048, 6, "KORVATH VETCH 7301" },

    // Older SCSI CD-ROM drives: six-byte command forms, speeds chosen with vendor page 0x31.
    { "CDROM  QZ1020", "QZ-1020 CD-ROM",
      { "1X CLV", "2X CLV" }, {}, {},
      0, 0, 0, 0, 0, 0, 1, "1020", 0, 2, 64, 0, "KORVATH LARCH 0102" },
    { "CDROM  QZ1040", "QZ-1040 CD-ROM",
      { "1X CLV", "2X CLV", "4X CLV" }, {}, {},
      0, 0, 0, 0, 0, 0, 1, "1040", 0, 4, 256, 0, "KORVATH LARCH 0104" },
    { "CDROM  QZ1060", "QZ-1060 CD-ROM",
      { "1X CLV", "2X CLV", "4X CLV", "6X CLV" }, {}, {},
      0, 0, 0, 0, 0, 0, 1, "1060", 0, 6, 256, 0, "KORVATH SPURREY 0106" },
    { "CDROM  QZ1080", "QZ-1080 CD-ROM",
      { "1X CLV", "2X CLV", "4X CLV", "8X CLV" }, {}, {},
      0, 0, 0, 0, 1, 0, 1, "1080", 0, 8, 256, 0, "KORVATH SPURREY 0108" },
    { "CDROM  QZ1120", "QZ-1120 CD-ROM",
      { "1X CLV", "2X CLV", "4X CLV", "8X CLV", "5-12X CAV" }, {}, {},
      0, 0, 0, 0, 1, 0, 1, "1120", 0, 12, 512, 0, "KORVATH ROWAN 0112" },
    // The QZ-1200SX has no vendor information block: it takes its read speed through the error-recovery page
    // and SET CD SPEED.
    { "CDROM  QZ1200SX", "QZ-1200SX CD-ROM",
      { "1X CLV", "2X CLV", "4X CLV", "8X CLV", "12X CLV", "8-20X CAV" }, {}, {},
      0, 0, 0, 0, 1, 0, 0, "1200", 0, 20, 512, 0, "KORVATH ROWAN 0120" },
    { "CDROM  QZ1240", "QZ-1240 CD-ROM",
      { "1X CLV", "2X CLV", "4X CLV", "8X CLV", "12X CLV", "10-24X CAV" }, {}, {},
      0, 0, 0, 0, 1, 0, 1, "1240", 0, 24, 512, 0, "KORVATH HAZEL 0124" },
    { "CDROM  QZ1320", "QZ-1320 CD-ROM",
      { "1X CLV", "2X CLV", "4X CLV", "8X CLV", "12X CLV", "14X CLV", "13-32X CAV" }, {}, {},
      0, 0, 0, 0, 1, 0, 1, "1320", 0, 32, 512, 0, "KORVATH HAZEL 0132" },

    // ATAPI CD-ROM drives: ten-byte command forms, range speed lists.
    { "CDROM  QZ1400", "QZ-1400A CD-ROM",
      { "4X CLV", "8X CLV", "12X CLV", "16-40X CAV" }, {}, {},
      0, 0, 0, 0, 1, 1, 1, "1400", 0, 40, 128, 0, "KORVATH TORMENTIL 0140" },
    { "CDROM  QZ1480", "QZ-1480A CD-ROM",
      { "4X CLV", "8X CLV", "16X CLV", "20-48X CAV" }, {}, {},
      0, 0, 0, 0, 1, 1, 1, "1480", 0, 48, 128, 0, "KORVATH TORMENTIL 0148" },
    { "CDROM  QZ1500", "QZ-1500A CD-ROM",
      { "4X CLV", "8X CLV", "16X CLV", "24X CLV", "20-48X CAV" }, {}, {},
      0, 0, 0, 0, 1, 1, 1, "1500", 0, 48, 128, 0, "KORVATH BURNET 0150" },
    { "CDROM  QZ1520", "QZ-1520A CD-ROM",
      { "4X CLV", "8X CLV", "16X CLV", "24X CLV", "22-52X CAV" }, {}, {},
      0, 0, 0, 0, 1, 1, 1, "1520", 0, 52, 128, 0, "KORVATH BURNET 0152" },
    { "CDROM  QZ1540", "QZ-1540A CD-ROM",
      { "4X CLV", "8X CLV", "16X CLV", "24X CLV", "32X CLV", "40X CLV", "23-54X CAV" }, {}, {},
      0, 0, 0, 0, 1, 1, 1, "1540", 0, 54, 128, 0, "KORVATH MAPLE 0154" },
    { "CDROM  QZ1560", "QZ-1560A CD-ROM",
      { "4X CLV", "8X CLV", "16X CLV", "24X CLV", "23-54X CAV" }, {}, {},
      0, 0, 0, 0, 1, 1, 1, "1560", 0, 54, 128, 0, "KORVATH MAPLE 0156" },

    // CD recorders.
    { "CD-R   QZ2040", "QZ-2040 CD-R",
      { "1X CLV", "2X CLV", "4X CLV" }, {}, {},
      1, 0, 0, 0, 0, 0, 1, "2040", 0, 4, 512, 0, "KORVATH ASPEN 0204" },
    { "CD-R   QZ2080", "QZ-2080 CD-R",
      { "1X CLV", "2X CLV", "4X CLV", "6X CLV" }, {}, {},
      1, 0, 0, 0, 0, 0, 1, "2080", 0, 6, 1024, 0, "KORVATH ASPEN 0208" },
    { "CD-R   QZ2120", "QZ-2120 CD-RW",
      { "1X CLV", "2X CLV", "4X CLV", "6X CLV" }, {}, {},
      1, 0, 0, 0, 1, 0, 1, "2120", 0, 6, 2048, 0, "KORVATH SAMPHIRE 0212" },
    { "CD-R   QZ2160", "QZ-2160 CD-RW",
      { "1X CLV", "2X CLV", "4X CLV", "8X CLV" }, {}, {},
      1, 0, 0, 0, 1, 0, 1, "2160", 0, 8, 2048, 0, "KORVATH SAMPHIRE 0216" },
    { "CD-R   QZ2200", "QZ-2200 CD-RW",
      { "1X CLV", "2X CLV", "4X CLV", "8X CLV", "10-24X CAV" }, {}, {},
      1, 0, 0, 0, 1, 0, 1, "2200", 0, 24, 2048, 0, "KORVATH SPRUCE 0220" },
    { "CD-R   QZ3240", "QZ-3240A CD-RW",
      { "4X CLV", "8X CLV", "10-24X CAV" }, {}, {},
      1, 0, 1, 0, 1, 1, 1, "3240", 18, 24, 2048, 0, "KORVATH SPRUCE 0324" },
    { "CD-R   QZ3320", "QZ-3320A CD-RW",
      { "4X CLV", "8X CLV", "13-32X CAV" }, {}, {},
      1, 0, 1, 0, 1, 1, 0, "3320", 18, 32, 2048, 0, "KORVATH RAGWORT 0332" },
    { "CD-R   QZ3400", "QZ-3400A CD-RW",
      { "4X CLV", "8X CLV", "16-40X CAV" }, {}, {},
      1, 0, 1, 1, 1, 1, 1, "3400", 18, 40, 2048, 0, "KORVATH RAGWORT 0340" },
    { "CD-R   QZ3440", "QZ-3440S CD-RW",
      { "4X CLV", "8X CLV", "16-40X CAV" }, {}, {},
      1, 0, 1, 1, 1, 0, 1, "3440", 18, 40, 4096, 0, "KORVATH LINDEN 0344" },
    { "CD-R   QZ3480", "QZ-3480A CD-RW",
      { "4X CLV", "8X CLV", "20-48X CAV" }, {}, {},
      1, 0, 1, 0, 1, 1, 0, "3480", 18, 48, 2048, 0, "KORVATH LINDEN 0348" },
    { "CD-R   QZ4000", "QZ-4000A CD-RW",
      { "4X CLV", "8X CLV", "16X CLV", "20-48X CAV" }, {}, {},
      1, 1, 1, 1, 1, 1, 1, "4000", 18, 48, 2048, 0, "KORVATH POPLAR 0400" },
    { "CD-R   QZ4120", "QZ-4120A CD-RW",
      { "4X CLV", "8X CLV", "16X CLV", "20-48X CAV" }, {}, {},
      1, 1, 1, 1, 1, 1, 1, "4120", 18, 48, 2048, 0, "KORVATH POPLAR 0412" },
    { "CD-R   QZ4160", "QZ-4160A CD-RW",
      { "4X CLV", "8X CLV", "16X CLV", "22-52X CAV" }, {}, {},
      1, 1, 1, 1, 1, 1, 1, "4160", 18, 52, 2048, 0, "KORVATH THISTLE 0416" },
    { "CD-R   QZ4240", "QZ-4240A CD-RW",
      { "4X CLV", "8X CLV", "16X CLV", "22-52X CAV" }, {}, {},
      1, 1, 1, 1, 1, 1, 1, "4240", 18, 52, 2048, 0, "KORVATH THISTLE 0424" },
    { "CD-R   QZ4320", "QZ-4320A CD-RW",
      { "4X CLV", "8X CLV", "16X CLV", "23-54X CAV" }, {}, {},
      1, 1, 1, 1, 1, 1, 1, "4320", 18, 54, 8192, 0, "KORVATH BRACKEN 0432" },
    // The programming-mode identification of the QZ-4400 comes before the drive's own row.
    { "CD-R   QZ4400PM", "QZ-4400 Program Mode",
      {}, {}, {},
      1, 0, 0, 0, 0, 1, 1, "4409", 0, 0, 0, 0, "KORVATH FERN 0449" },
    { "CD-R   QZ4400", "QZ-4400A CD-RW",
      { "4X CLV", "8X CLV", "16X CLV", "23-54X CAV" }, {}, {},
      1, 1, 1, 1, 1, 1, 1, "4400", 18, 54, 8192, 0, "KORVATH FERN 0440" },
    { "CD-R   QZ4480", "QZ-4480 CD-RW",
      { "4X CLV", "8X CLV", "16X CLV", "23-54X CAV" }, {}, {},
      1, 0, 0, 0, 1, 1, 0, "4480", 0, 54, 2048, 0, "KORVATH MOSS 0448" },
    { "CD-R   QZ4560", "QZ-4560A CD-RW",
      { "4X CLV", "8X CLV", "16X CLV", "24X CLV", "23-54X CAV" }, {}, {},
      1, 1, 1, 1, 1, 1, 1, "4560", 18, 54, 8192, 0, "KORVATH MOSS 0456" },
    { "CD-R   QZ5200", "QZ-5200 CD-RW",
      { "4X CLV", "8X CLV", "10-24X CAV" }, {}, {},
      1, 1, 0, 1, 1, 1, 1, "5200", 18, 24, 2048, 0, "KORVATH SORREL 0520" },
    { "CD-R   QZ5240", "QZ-5240 CD-RW",
      { "4X CLV", "8X CLV", "16X CLV", "16-40X CAV" }, {}, {},
      1, 1, 0, 1, 1, 1, 1, "5240", 18, 40, 2048, 0, "KORVATH TANSY 0524" },
    { "CD-R   QZ5280", "QZ-5280 CD-RW",
      { "4X CLV", "8X CLV", "16X CLV", "20-48X CAV" }, {}, {},
      1, 1, 0, 1, 1, 1, 1, "5280", 18, 48, 2048, 0, "KORVATH YARROW 0528" },

    // DVD-ROM drives.
    { "DVD    QZ8040", "QZ-8040 DVD-ROM",
      { "4X CLV", "8X CLV", "10-24X CAV" }, { "1X CLV", "2X CLV" }, {},
      0, 0, 0, 0, 1, 1, 1, "8040", 0, 24, 256, 0, "KORVATH TEASEL 0804" },
    { "DVD    QZ8080", "QZ-8080 DVD-ROM",
      { "4X CLV", "8X CLV", "16-40X CAV" }, { "1X CLV", "2X CLV", "2-5X CAV" }, { "1X CLV", "2X CLV" },
      0, 0, 0, 0, 1, 1, 1, "8080", 0, 40, 256, 0, "KORVATH TEASEL 0808" },
    { "DVD    QZ8120", "QZ-8120 DVD-ROM",
      { "4X CLV", "8X CLV", "20-48X CAV" }, { "2X CLV", "3-8X CAV", "5-12X CAV" }, { "1X CLV", "2X CLV", "3X CLV" },
      0, 0, 0, 0, 1, 1, 1, "8120", 0, 48, 512, 0, "KORVATH ELM 0812" },
    { "DVD    QZ8160", "QZ-8160 DVD-ROM",
      { "4X CLV", "8X CLV", "20-48X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, {},
      0, 0, 0, 0, 1, 1, 0, "8160", 0, 48, 512, 0, "KORVATH ELM 0816" },
    { "DVD    QZ8200", "QZ-8200 DVD-ROM",
      { "4X CLV", "8X CLV", "20-48X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, {},
      0, 0, 0, 0, 1, 1, 0, "8200", 0, 48, 512, 0, "KORVATH MADDER 0820" },
    { "DVD    QZ8240", "QZ-8240 DVD-ROM",
      { "4X CLV", "8X CLV", "22-52X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, {},
      0, 0, 0, 0, 1, 1, 0, "8240", 0, 52, 512, 0, "KORVATH MADDER 0824" },

    // DVD recorders.
    { "DVDR   QZ6040", "QZ-6040 DVD-R",
      { "4X CLV", "8X CLV", "10-24X CAV" }, { "1X CLV", "2X CLV" }, {},
      1, 0, 1, 1, 1, 1, 1, "6040", 255, 24, 2048, 1, "KORVATH BURNET 0604" },
    { "DVDR   QZ6080", "QZ-6080 DVD-RW",
      { "4X CLV", "8X CLV", "10-24X CAV" }, { "1X CLV", "2X CLV", "2-5X CAV" }, {},
      1, 0, 1, 1, 1, 1, 1, "6080", 255, 24, 2048, 1, "KORVATH HOLLY 0608" },
    { "DVDR   QZ6120", "QZ-6120 DVD-RW",
      { "4X CLV", "8X CLV", "16-40X CAV" }, { "2X CLV", "3-8X CAV" }, {},
      1, 0, 1, 1, 1, 1, 1, "6120", 255, 40, 2048, 1, "KORVATH HOLLY 0612" },
    { "DVDR   QZ6160", "QZ-6160 DVD-RW",
      { "4X CLV", "8X CLV", "16-40X CAV" }, { "2X CLV", "3-8X CAV", "5-12X CAV" }, {},
      1, 0, 1, 1, 1, 1, 1, "6160", 255, 40, 2048, 2, "KORVATH YEW 0616" },
    { "DVDR   QZ6240", "QZ-6240 DVD-RW",
      { "4X CLV", "8X CLV", "20-48X CAV" }, { "2X CLV", "4-12X CAV" }, {},
      1, 0, 1, 1, 1, 1, 1, "6240", 255, 48, 2048, 2, "KORVATH YEW 0624" },
    { "DVDR   QZ6320", "QZ-6320 DVD-RW",
      { "4X CLV", "8X CLV", "20-48X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, { "1X CLV", "2X CLV" },
      1, 0, 1, 1, 1, 1, 1, "6320", 255, 48, 2048, 2, "KORVATH SEDGE 0632" },
    { "DVDR   QZ7160", "QZ-7160 DVD-RW",
      { "10-24X CAV", "16-40X CAV" }, { "2X CLV", "3-8X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7160", 255, 16, 2048, 3, "KORVATH MALLOW 0716" },
    { "DVDR   QZ7180", "QZ-7180 DVD-RW",
      { "10-24X CAV", "16-40X CAV" }, { "2X CLV", "3-8X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7180", 255, 16, 2048, 3, "KORVATH MALLOW 0718" },
    { "DVDR   QZ7200", "QZ-7200 DVD-RW",
      { "10-24X CAV", "20-48X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7200", 255, 16, 2048, 4, "KORVATH CHERVIL 0720" },
    { "DVDR   QZ7220", "QZ-7220 DVD-RW",
      { "10-24X CAV", "20-48X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, { "2X CLV", "3X CLV", "5X CLV" },
      1, 1, 1, 1, 1, 1, 1, "7220", 255, 16, 2048, 4, "KORVATH CHERVIL 0722" },
    { "DVDR   QZ7240A", "QZ-7240A DVD-RW",
      { "10-24X CAV", "20-48X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7244", 255, 16, 2048, 5, "KORVATH HEATHER 0725" },
    { "DVDR   QZ7240", "QZ-7240 DVD-RW",
      { "10-24X CAV", "20-48X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7240", 255, 16, 2048, 5, "KORVATH HEATHER 0724" },
    { "DVDR   QZ7300", "QZ-7300 DVD-RW",
      { "10-24X CAV", "20-48X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7300", 255, 16, 2048, 6, "KORVATH VETCH 0730" },
    { "DVDR   QZ7320", "QZ-7320 DVD-RW",
      { "10-24X CAV", "22-52X CAV" }, { "2X CLV", "4-12X CAV", "6.6-16X CAV" }, {},
      1, 1, 1, 1, 1, 1, 1, "7320", 255, 16, 2048, 6, "KORVATH VETCH 0732" },
};

// Bridge rewrite rules, applied in order to the working identification of a drive that reports the maker's
// vendor identification. Group 1 maps a late member of the QZ-7180 family (firmware revision x.1x and later)
// to the family's identification. Groups 2, 3 and 4 are chains; every other group is a single rule.
const BridgeRewriteRule g_BridgeRewriteRules[] = {
    { 1, BridgeTestContains, "QZ7184", BridgeRevisionNotZero, 0, "DVDR   QZ7180", nullptr, nullptr },

    { 2, BridgeTestContains, "QZ7160", BridgeOnBus, 4, "DVDR   QZ7160U", nullptr, nullptr },
    { 2, BridgeTestContains, "QZ7160", BridgeOnBus, 5, "DVDR   QZ7160F", nullptr, nullptr },
    { 2, BridgeTestContains, "QZ7160", BridgeOnBus, 2, "DVDR   QZ7160S", nullptr, nullptr },

    { 3, BridgeTestContains, "QZ7200", BridgeOnBus, 4, "DVDR   QZ7200U", nullptr, nullptr },
    { 3, BridgeTestContains, "QZ7200", BridgeOnBus, 5, "DVDR   QZ7200F", nullptr, nullptr },
    { 3, BridgeTestContains, "QZ7200", BridgeOnBus, 2, "DVDR   QZ7200S", nullptr, nullptr },

    { 4, BridgeTestContains, "QZ7240A", BridgeOnBus, 4, "DVDR   QZ7240AU", nullptr, nullptr },
    { 4, BridgeTestContains, "QZ7240A", BridgeOnBus, 5, "DVDR   QZ7240AU", nullptr, nullptr },
    { 4, BridgeTestContains, "QZ7240", BridgeOnBus, 4, "DVDR   QZ7240U", nullptr, nullptr },
    { 4, BridgeTestContains, "QZ7240", BridgeOnBus, 5, "DVDR   QZ7240F", nullptr, nullptr },
    { 4, BridgeTestContains, "QZ7240", BridgeOnBus, 2, "DVDR   QZ7240S", nullptr, nullptr },

    { 5, BridgeTestContains, "QZ5200", BridgeOnBus, 4, "CD-R   QZ5200U", nullptr, nullptr },
    { 6, BridgeTestContains, "QZ5204", BridgeOnBus, 4, "CD-R   QZ5200U", nullptr, nullptr },
    { 7, BridgeTestContains, "QZ5240", BridgeOnBus, 4, "CD-R   QZ5240U", nullptr, nullptr },
    { 8, BridgeTestContains, "QZ5244", BridgeOnBus, 4, "CD-R   QZ5240U", nullptr, nullptr },
    // The QZ-5280 mechanism in the long-housing product reports its bare identification unchanged.
    { 9, BridgeTestContains, "QZ5280", BridgeOnBus, 4, "CD-R   QZ5280U", "CD-R   QZ5280   ", "CD-R   QZ5280UL" },
    { 10, BridgeTestContains, "QZ5284", BridgeOnBus, 4, "CD-R   QZ5280U", nullptr, nullptr },
    { 11, BridgeTestContains, "QZ7164", BridgeOnBus, 4, "DVDR   QZ7160U", nullptr, nullptr },
    { 12, BridgeTestContains, "QZ7164", BridgeOnBus, 5, "DVDR   QZ7160F", nullptr, nullptr },
    { 13, BridgeTestContains, "QZ7204", BridgeOnBus, 4, "DVDR   QZ7200U", nullptr, nullptr },
    { 14, BridgeTestContains, "QZ7204", BridgeOnBus, 5, "DVDR   QZ7200F", nullptr, nullptr },
    { 15, BridgeTestContains, "QZ7300", BridgeOnBus, 2, "DVDR   QZ7300S", nullptr, nullptr },
    { 16, BridgeTestEquals, "DVDR   QZ7304   ", BridgeOnBus, 2, "DVDR   QZ7300S", nullptr, nullptr },
    { 17, BridgeTestContains, "QZ7164", BridgeOnBus, 2, "DVDR   QZ7160S", nullptr, nullptr },
    { 18, BridgeTestContains, "QZ7204", BridgeOnBus, 2, "DVDR   QZ7200S", nullptr, nullptr },
    { 19, BridgeTestContains, "QZ7244", BridgeOnBus, 4, "DVDR   QZ7240U", nullptr, nullptr },
    { 20, BridgeTestContains, "QZ7244", BridgeOnBus, 5, "DVDR   QZ7240F", nullptr, nullptr },
};
const int g_nBridgeRewriteRules = sizeof(g_BridgeRewriteRules) / sizeof(g_BridgeRewriteRules[0]);

#define MODEL_GROUP(var, label, ...)                                                                             \
    static const char* const var##Numbers[] = { __VA_ARGS__ };                                                   \
    const ModelNumberGroup var = { label, var##Numbers, sizeof(var##Numbers) / sizeof(var##Numbers[0]) }

MODEL_GROUP(g_FourFamilyGroup, "four-family group", "QZ7160", "QZ7180", "QZ7200", "QZ7220");
MODEL_GROUP(g_FiveFamilyGroup, "five-family group", "QZ7160", "QZ7180", "QZ7200", "QZ7220", "QZ7240");
MODEL_GROUP(g_SpecialSpeedModels, "special speed models", "QZ1400", "QZ1480", "QZ1500", "QZ1520", "QZ1540",
            "QZ1560", "QZ8040", "QZ8080", "QZ8120", "QZ8160");
MODEL_GROUP(g_VendorPage30Families, "vendor page 0x30 families", "QZ3400", "QZ3440");
MODEL_GROUP(g_WaitReadyDiscInfoFamily, "ready wait by disc information", "QZ6080");
MODEL_GROUP(g_PerfDataTypeFamily, "performance data type 0x10", "QZ6240");
MODEL_GROUP(g_Perf1350Families, "1350 KB/s families", "QZ6040", "QZ6080", "QZ6120", "QZ6160");
MODEL_GROUP(g_PerfWriteSpeedFamily, "write speed correction", "QZ6320");
MODEL_GROUP(g_JumperFourByteFamilies, "four-byte jumper bits", "QZ4000", "QZ4120", "QZ4160", "QZ4240");
MODEL_GROUP(g_JumperFourByteLateFamily, "four-byte jumper bits from firmware 5", "QZ4320");
MODEL_GROUP(g_VendorBlockSataFamilies, "vendor block head on Serial ATA", "QZ7160", "QZ7200", "QZ7300");
MODEL_GROUP(g_VendorBlockBridgeFamily, "vendor block head on USB or IEEE 1394", "QZ7240");
MODEL_GROUP(g_TocFormatInByte2Models, "TOC format in byte 2", "QZ8200", "QZ8240");
MODEL_GROUP(g_TocNoBcdModels, "full TOC in BCD", "QZ8160", "QZ8200");
MODEL_GROUP(g_BufferUnderrunPage30Models, "underrun protection from page 0x30", "QZ3320", "QZ3480");
MODEL_GROUP(g_CdSpeedTableModel, "CD read speed table", "QZ1540");
MODEL_GROUP(g_MaxWriteAfterResetFamily, "maximum write speed after reset", "QZ3240");
MODEL_GROUP(g_DvdSetCdSpeedModel, "DVD read speed by SET CD SPEED", "QZ7320");
MODEL_GROUP(g_DvdFormat10Models, "DVD structure format 0x10 first", "QZ7160", "QZ7180", "QZ7200", "QZ7220",
            "QZ7240");
MODEL_GROUP(g_SerialBytesModel, "serial number by 0xF3", "QZ4480");
MODEL_GROUP(g_CddaUsbWin9xModels, "no vendor audio read on USB under Windows 9x", "QZ5200", "QZ5240", "QZ5280",
            "QZ3240", "QZ7160", "QZ7200", "QZ7240");
MODEL_GROUP(g_CddaAtaBusModels, "vendor audio read on ATA buses", "QZ7160", "QZ7180", "QZ7200", "QZ7220",
            "QZ7300");

MODEL_GROUP(g_VendorOptionModels, "vendor option by 0xE9", "QZ7240", "QZ7300", "QZ7320");

#define FEATURE_TABLE(var, label, ...)                                                                           \
    static const FirmwareFeatureRow var##Rows[] = { __VA_ARGS__ };                                               \
    const FirmwareFeatureTable var = { label, var##Rows, sizeof(var##Rows) / sizeof(var##Rows[0]) }

// Firmware-feature tables: model number, minimum firmware number, level-17 minimum. A longer model number comes
// before a shorter one it contains.
FEATURE_TABLE(g_SpeedamodeTable, "Speedamode",
              { "QZ7240A", 0, kNever }, { "QZ7240", 0, kNever }, { "QZ7160", 3, kNever }, { "QZ7180", 2, kNever },
              { "QZ7200", 0, kNever }, { "QZ7220", 0, kNever }, { "QZ7300", 0, kNever }, { "QZ7320", 0, kNever },
              { "QZ4000", 0, kNever }, { "QZ4120", 0, kNever }, { "QZ4160", 0, kNever }, { "QZ4240", 0, kNever },
              { "QZ4320", 0, kNever }, { "QZ4400", 0, kNever });
FEATURE_TABLE(g_StratafitTable, "Stratafit",
              { "QZ7160", 0, kNever }, { "QZ7180", 0, kNever }, { "QZ7200", 0, kNever }, { "QZ7220", 0, kNever });
FEATURE_TABLE(g_ReadModeTable, "read mode",
              { "QZ1400", 0, kNever }, { "QZ1480", 0, kNever }, { "QZ1500", 0, kNever }, { "QZ1520", 0, kNever },
              { "QZ1540", 0, kNever }, { "QZ1560", 0, kNever }, { "QZ8040", 0, kNever }, { "QZ8080", 0, kNever },
              { "QZ8120", 0, kNever }, { "QZ8160", 0, kNever }, { "QZ3240", 0, kNever });
FEATURE_TABLE(g_FirmwareFeature1Table, "firmware feature 1",
              { "QZ4320", 5, kNever }, { "QZ4400", 8, kNever }, { "QZ4560", 0, kNever }, { "QZ4240", 0, kNever },
              { "QZ4160", 0, kNever }, { "QZ4120", 0, kNever });
FEATURE_TABLE(g_FirmwareFeature2Table, "firmware feature 2",
              { "QZ7300", 3, kNever }, { "QZ7160", 0, kNever }, { "QZ7180", 0, kNever }, { "QZ7200", 0, kNever },
              { "QZ7220", 0, kNever });
FEATURE_TABLE(g_FirmwareFeature3Table, "firmware feature 3",
              { "QZ5200", 0, kNever }, { "QZ5240", 0, kNever }, { "QZ5280", 0, kNever }, { "QZ3240", 0, kNever },
              { "QZ3400", 0, kNever });
FEATURE_TABLE(g_FirmwareFeature4Table, "firmware feature 4",
              { "QZ6040", 0, kNever }, { "QZ6080", 0, kNever }, { "QZ6120", 0, kNever }, { "QZ6160", 0, kNever },
              { "QZ6240", 0, kNever }, { "QZ6320", 0, kNever }, { "QZ7300", 0, kNever }, { "QZ7320", 0, kNever });
FEATURE_TABLE(g_FirmwareFeature5Table, "firmware feature 5",
              { "QZ2040", 0, kNever }, { "QZ2080", 0, kNever }, { "QZ2120", 0, kNever }, { "QZ2160", 0, kNever },
              { "QZ2200", 0, kNever }, { "QZ3240", 0, kNever }, { "QZ3320", 0, kNever }, { "QZ3400", 0, kNever });
FEATURE_TABLE(g_FirmwareFeature6Table, "firmware feature 6",
              { "QZ7240A", 3, kNever }, { "QZ7240", 3, kNever }, { "QZ7160", 0, kNever }, { "QZ7200", 0, kNever },
              { "QZ7300", 0, kNever });
FEATURE_TABLE(g_FirmwareFeature7Table, "firmware feature 7",
              { "QZ7240A", 4, kNever }, { "QZ7240", 4, kNever }, { "QZ7160", 2, kNever }, { "QZ7180", 5, kNever },
              { "QZ7200", 5, kNever }, { "QZ7220", 10, kNever }, { "QZ7300", 6, kNever }, { "QZ7320", 0, kNever },
              { "QZ6040", 0, kNever }, { "QZ6080", 0, kNever }, { "QZ6120", 0, kNever }, { "QZ6160", 0, kNever },
              { "QZ6240", 0, kNever }, { "QZ6320", 0, kNever }, { "QZ4000", 0, kNever }, { "QZ4120", 0, kNever },
              { "QZ4160", 0, kNever }, { "QZ4240", 0, kNever }, { "QZ4320", 0, kNever }, { "QZ4400", 0, kNever },
              { "QZ4560", 0, kNever });
FEATURE_TABLE(g_FirmwareFeature8Table, "firmware feature 8",
              { "QZ5200", 0, kNever }, { "QZ5240", 0, kNever }, { "QZ5280", 0, kNever }, { "QZ4400", 7, kNever },
              { "QZ4560", 2, kNever }, { "QZ4320", 0, kNever }, { "QZ4240", 0, kNever }, { "QZ4160", 0, kNever },
              { "QZ4120", 0, kNever });
FEATURE_TABLE(g_FeatureLevelTable, "feature level",
              { "QZ7240A", 0, 4 }, { "QZ7240", 0, 1 }, { "QZ7160", kNever, 2 }, { "QZ7180", kNever, 0 },
              { "QZ7200", 3, kNever }, { "QZ7220", 3, kNever }, { "QZ7300", 0, kNever }, { "QZ7320", 0, kNever },
              { "QZ6040", 0, kNever }, { "QZ6080", 0, kNever }, { "QZ6120", 0, kNever }, { "QZ6160", 0, kNever },
              { "QZ6240", 0, kNever }, { "QZ6320", 0, kNever }, { "QZ4000", 0, kNever }, { "QZ4120", 0, kNever },
              { "QZ4160", 0, kNever }, { "QZ4240", 0, kNever }, { "QZ4320", 0, kNever });
FEATURE_TABLE(g_VendorOptionLateTable, "vendor option from firmware 7", { "QZ6320", 7, kNever });

const FirmwareFeatureTable* const g_AllFirmwareFeatureTables[] = {
    &g_SpeedamodeTable, &g_StratafitTable, &g_ReadModeTable, &g_FirmwareFeature1Table, &g_FirmwareFeature2Table,
    &g_FirmwareFeature3Table, &g_FirmwareFeature4Table, &g_FirmwareFeature5Table, &g_FirmwareFeature6Table,
    &g_FirmwareFeature7Table, &g_FirmwareFeature8Table, &g_FeatureLevelTable, &g_VendorOptionLateTable,
};
const int g_nAllFirmwareFeatureTables = sizeof(g_AllFirmwareFeatureTables) / sizeof(g_AllFirmwareFeatureTables[0]);

const char* const g_szPage1Model = "CDROM  QZ1200SX";
const char* const g_szJumperShuffleRows[2] = { "CD-R   QZ4400PM", "CD-R   QZ4400" };
const char* const g_szUsbBridgeProductId = "DVDR   QZ7240U  ";

const ModelNumberGroup* const g_AllModelGroups[] = {
    &g_FourFamilyGroup, &g_FiveFamilyGroup, &g_SpecialSpeedModels, &g_VendorPage30Families,
    &g_WaitReadyDiscInfoFamily, &g_PerfDataTypeFamily, &g_Perf1350Families, &g_PerfWriteSpeedFamily,
    &g_JumperFourByteFamilies, &g_JumperFourByteLateFamily, &g_VendorBlockSataFamilies, &g_VendorBlockBridgeFamily,
    &g_TocFormatInByte2Models, &g_TocNoBcdModels, &g_BufferUnderrunPage30Models, &g_CdSpeedTableModel,
    &g_MaxWriteAfterResetFamily, &g_DvdSetCdSpeedModel, &g_DvdFormat10Models, &g_SerialBytesModel,
    &g_CddaUsbWin9xModels, &g_CddaAtaBusModels, &g_VendorOptionModels,
};
const int g_nAllModelGroups = sizeof(g_AllModelGroups) / sizeof(g_AllModelGroups[0]);

bool ContainsModelNumber(const char* text, const ModelNumberGroup& group)
{
    if (text == nullptr)
        return false;
    for (int i = 0; i < group.count; ++i)
    {
        if (strstr(text, group.numbers[i]) != nullptr)
            return true;
    }
    return false;
}

// Whether one rule's test and condition hold for the working identification.
static bool RuleApplies(const BridgeRewriteRule& rule, const char* workingId, int busType, const char* revision)
{
    bool textMatches;
    if (rule.test == BridgeTestEquals)
        textMatches = memcmp(workingId, rule.pattern, kProductIdLength + 1) == 0;
    else
        textMatches = strstr(workingId, rule.pattern) != nullptr;
    if (!textMatches)
        return false;
    if (rule.condition == BridgeRevisionNotZero)
        return revision != nullptr && strlen(revision) >= 3 && revision[2] != '0';
    return busType == rule.busType;
}

// Rules are taken in list order, each on the identification as the rules before it left it. Within a chain
// (consecutive rules with the same group number) only the first rule that applies is carried out; the equals
// test compares all sixteen characters and the terminator, so a working identification shorter or longer than
// sixteen characters never equals a listed one. Replacements are at most sixteen characters and always fit the
// working buffer.
void ApplyBridgeRewriteRules(char* workingId, int busType, const char* revision)
{
    int i = 0;
    while (i < g_nBridgeRewriteRules)
    {
        int group = g_BridgeRewriteRules[i].group;
        int end = i;
        while (end < g_nBridgeRewriteRules && g_BridgeRewriteRules[end].group == group)
            ++end;
        for (int r = i; r < end; ++r)
        {
            const BridgeRewriteRule& rule = g_BridgeRewriteRules[r];
            if (!RuleApplies(rule, workingId, busType, revision))
                continue;
            const char* replacement = rule.replacement;
            if (rule.equalsId != nullptr && memcmp(workingId, rule.equalsId, kProductIdLength + 1) == 0)
                replacement = rule.replacementIfEqual;
            char padded[kWorkingIdSize];
            memset(padded, 0, sizeof(padded));
            strncpy(padded, replacement, kProductIdLength);
            memcpy(workingId, padded, kWorkingIdSize);
            break;
        }
        i = end;
    }
}

const ModelRecord* FindModelRow(const char* productId)
{
    if (productId == nullptr)
        return nullptr;
    for (int i = 0; i < kModelTableRows; ++i)
    {
        const ModelRecord& row = g_ModelTable[i];
        size_t len = strlen(row.productId);
        if (len > 0 && strncmp(productId, row.productId, len) == 0)
            return &row;
    }
    return nullptr;
}
// clang-format on
