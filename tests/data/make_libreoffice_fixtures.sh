#!/bin/sh
# Makes the LibreOffice Calc fixtures of the parameter file tests: files written by the
# loader's writer, opened by LibreOffice Calc and saved again as SYLK. Run from anywhere
# with soffice installed (Debian: libreoffice-calc-nogui); the results are checked in.
#   lo_start_values.slk      start values, re-saved
#   lo_busy.slk              the busy image (seed 7) of the file tests, re-saved
#   lo_busy_cell_deleted.slk the same with the value cell at row 100, column 5 deleted
#   lo_busy_edited.slk       the same with PVF typed as -999 and DV-D as 300.0
#   lo_busy_fraction.slk     the same with SV-L typed as 12.5
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

c++ -std=c++17 -I"$root/src" -I"$root/tests" "$here/make_writer_file.cpp" \
    "$root"/src/files/file_layout.cpp "$root"/src/files/parameter_file_writer.cpp \
    "$root"/src/files/whole_file.cpp "$root"/src/files/write_target.cpp \
    "$root"/src/image/*.cpp \
    -o "$work/make_writer_file"

mkdir "$work/in" "$work/out"
"$work/make_writer_file" "$work/in/lo_start_values.slk"
"$work/make_writer_file" "$work/in/lo_busy.slk" 7
# What an operator does in Calc, done on the loader's file before Calc saves it again.
grep -v '^C;Y100;X05;K[0-9]' "$work/in/lo_busy.slk" > "$work/in/lo_busy_cell_deleted.slk"
sed -e 's/^C;Y18;X2;K[0-9]*/C;Y18;X2;K-999/' -e 's/^C;Y9;X2;K[0-9]*/C;Y9;X2;K300.0/' \
    "$work/in/lo_busy.slk" > "$work/in/lo_busy_edited.slk"
sed -e 's/^C;Y3;X2;K[0-9]*/C;Y3;X2;K12.5/' "$work/in/lo_busy.slk" > "$work/in/lo_busy_fraction.slk"

soffice --headless "-env:UserInstallation=file://$work/profile" \
    --convert-to slk:SYLK --outdir "$work/out" "$work"/in/*.slk
cp "$work"/out/*.slk "$here/"
