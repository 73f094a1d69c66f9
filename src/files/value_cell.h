#pragma once

#include "image/group_id.h"
#include "image/parameter_catalogue.h"

#include <string>

// Where the parameter file holds one field's value, named as a person finds it in a
// spreadsheet, so that a message about a value can send them to its cell.

struct FileCell {
    int row;
    int column;
};

// The value cell of `row` in `group` (segment 1..20 for a pattern's rows); {0, 0} for a
// field the file does not carry.
FileCell ValueCellOf(GroupId group, const ParameterRow& row, int segment = 0);

// "row 35, column 2"
std::string CellText(FileCell cell);
