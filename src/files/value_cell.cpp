#include "files/value_cell.h"

#include "files/file_layout.h"
#include "files/parameter_file_writer.h"
#include "files/sylk_cells.h"

#include <vector>

namespace {

// The writer's value cells in the order it emits them, taken from its own text so that the
// two can never disagree.
const std::vector<FileCell>& WriterValueCells() {
    static const std::vector<FileCell> cells = [] {
        ParameterImage image;
        SetStartValues(image);
        std::vector<FileCell> found;
        ForEachSylkCell(BuildParameterFileText(image), [&](const SylkCell& c) {
            if (!c.text)
                found.push_back({c.row, c.column});
        });
        return found;
    }();
    return cells;
}

} // namespace

FileCell ValueCellOf(GroupId group, const ParameterRow& row, int segment) {
    for (int entry = 0; entry < FileValueCount(); ++entry) {
        const FileField field = FieldOfEntry(entry);
        if (field.group == group && field.row == &row && field.segment == segment)
            return WriterValueCells().at(static_cast<size_t>(entry));
    }
    return {0, 0};
}

std::string CellText(FileCell cell) {
    return "row " + std::to_string(cell.row) + ", column " + std::to_string(cell.column);
}
