#!/usr/bin/env bash
# tests/drive/media/make-discs.sh OUTDIR — makes the small disc images the media tests load into emulated drives, and
# writes what isoinfo and udfinfo report about them to OUTDIR/expected.txt ("name key value" lines).
set -euo pipefail
out=$1
rm -rf "$out"
mkdir -p "$out/src"
cd "$out"

mkfiles() {   # DIR NAME... : small files in the folders
    local dir=$1; shift
    for d in "$@"; do
        mkdir -p "src/$dir/$d"
        printf 'Tavisk test file in %s\n' "$d" > "src/$dir/$d/readme.txt"
    done
}
mkiso() {     # NAME SOURCE VOLUME-ID [more genisoimage options]
    local name=$1 src=$2 vol=$3; shift 3
    genisoimage -quiet -r -V "$vol" "$@" -o "$name.iso" "src/$src"
    local id size
    id=$(isoinfo -d -i "$name.iso" | sed -n 's/^Volume id: //p')
    size=$(isoinfo -d -i "$name.iso" | sed -n 's/^Volume size is: //p')
    printf '%s label %s\n%s blocks %s\n' "$name" "$id" "$name" "$size" >> expected.txt
}

: > expected.txt
mkfiles data docs
head -c 300000 /dev/zero | tr '\0' 'D' > src/data/docs/filler.bin
mkiso data data "TAVISK DATA"
mkiso dvdr data "DATA"
mkfiles vcd VCD MPEGAV CDI SEGMENT
mkiso vcd vcd "VIDEOCD VOLUME"
mkfiles svcd SVCD MPEG2 EXT
mkiso svcd svcd "SUPER VCD"
mkfiles photo PHOTO_CD CDI
mkiso photo photo "PHOTO DISC"
mkfiles psx GAME
mkiso psx psx "GAME DISC" -sysid PLAYSTATION
mkfiles packet FILES
mkiso packet packet "PACKET DISC" -p "0123456789PacketCD"

# A UDF file system of 2000 blocks; the volume and logical volume names differ so that each use is seen.
dd if=/dev/zero of=udf.img bs=2048 count=2000 status=none
mkudffs --blocksize=2048 --media-type=hd --vid="UDF VOLUME" --lvid="UDF LOGICAL" udf.img >/dev/null
info=$(udfinfo udf.img)
printf 'udf vid %s\n' "$(sed -n 's/^vid=//p' <<<"$info")" >> expected.txt
printf 'udf lvid %s\n' "$(sed -n 's/^lvid=//p' <<<"$info")" >> expected.txt
pspace=$(sed -n 's/^start=\([0-9]*\), blocks=\([0-9]*\), type=PSPACE$/\1 \2/p' <<<"$info")
printf 'udf partitionEnd %s\n' "$(( ${pspace% *} + ${pspace#* } ))" >> expected.txt
echo "make-discs: $(ls "$out" | tr '\n' ' ')"
