#include "files/value_cell.h"

FileCell ValueCellOf(GroupId group, const ParameterRow& row, int segment) {
    for (int entry = 0; entry < FileValueCount(); ++entry) {
        const FileField field = FieldOfEntry(entry);
        if (field.group == group && field.row == &row && field.segment == segment)
            return CellOfEntry(entry);
    }
    return {0, 0};
}

std::string CellText(FileCell cell) {
    return "row " + std::to_string(cell.row) + ", column " + std::to_string(cell.column);
}
