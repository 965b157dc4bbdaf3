#!/bin/sh
# Lists the test volumes that transfer_images wrote with the host's ISO 9660 lister and checks the volume name and
# the one file. Usage: check-images.sh DIR
set -u
dir="$1"
command -v isoinfo >/dev/null 2>&1 || { echo "isoinfo is not installed (scripts/setup)"; exit 1; }
status=0
check() {    # FILE VOLUME-NAME FILE-NAME
    img="$dir/$1"
    [ -f "$img" ] || { echo "missing $img"; status=1; return; }
    desc=$(isoinfo -d -i "$img" 2>&1)
    echo "$desc" | grep -q "^Volume id: $2\$" || { echo "$1: volume id not '$2':"; echo "$desc"; status=1; }
    echo "$desc" | grep -q "^Logical block size is: 2048\$" || { echo "$1: block size"; status=1; }
    list=$(isoinfo -l -i "$img" 2>&1)
    echo "$list" | grep -q "Directory listing of /\$" || { echo "$1: no root listing:"; echo "$list"; status=1; }
    echo "$list" | grep -Eq "^-.* 2048 .*\[ *21 [0-9]+\] +$3 *\$" \
        || { echo "$1: file $3 of 2048 bytes at extent 21 not listed:"; echo "$list"; status=1; }
    files=$(isoinfo -f -i "$img" 2>&1)
    [ "$files" = "/$3" ] || { echo "$1: files are '$files'"; status=1; }
}
check dvd.iso "Korvath Europe - DVD Test" "TESTDVD.BIN;1"
check cd.iso "Korvath Europe - Mode 1 Test" "TESTCD.BIN;1"
[ $status -eq 0 ] && echo "both volumes list as expected"
exit $status
