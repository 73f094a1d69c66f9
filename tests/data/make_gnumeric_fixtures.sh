#!/bin/sh
# Makes the Gnumeric fixtures of the parameter file tests: files written by the loader's
# writer, opened by Gnumeric and saved again as SYLK (ssconvert, Debian: gnumeric). Run
# from anywhere; the results are checked in. Gnumeric saves a format record (F) for every
# cell and column before the cells, and leaves out a cell's row where it stays the same.
#   gn_start_values.slk       start values, re-saved
#   gn_busy.slk               the busy image (seed 7) of the file tests, re-saved
#   gn_busy_cell_deleted.slk  the same with the value cell at row 100, column 5 deleted
#   gn_busy_rows_swapped.slk  the same with the rows of SV-H and SV-L swapped
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

c++ -std=c++17 -I"$root/src" -I"$root/tests" "$here/make_writer_file.cpp" \
    "$root"/src/files/file_layout.cpp "$root"/src/files/parameter_file_writer.cpp \
    "$root"/src/files/whole_file.cpp "$root"/src/files/write_target.cpp \
    "$root"/src/image/*.cpp -o "$work/make_writer_file"

mkdir "$work/in"
"$work/make_writer_file" "$work/in/gn_start_values.slk"
"$work/make_writer_file" "$work/in/gn_busy.slk" 7
# What an operator does in Gnumeric, done on the loader's file before Gnumeric saves it.
grep -v '^C;Y100;X05;K[0-9]' "$work/in/gn_busy.slk" > "$work/in/gn_busy_cell_deleted.slk"
sed -e 's/^C;Y2;/C;Y@;/' -e 's/^C;Y3;/C;Y2;/' -e 's/^C;Y@;/C;Y3;/' \
    "$work/in/gn_busy.slk" > "$work/in/gn_busy_rows_swapped.slk"

for file in "$work"/in/*.slk; do
    ssconvert --export-type=Gnumeric_sylk:sylk "$file" "$here/$(basename "$file")"
done
