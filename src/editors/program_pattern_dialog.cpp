#include "editors/program_pattern_dialog.h"

ProgramPatternDialog::ProgramPatternDialog(ParameterImage&, Messages&, CursorControl&,
                                           QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Program Pattern"));
}
