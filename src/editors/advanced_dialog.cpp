#include "editors/advanced_dialog.h"

AdvancedDialog::AdvancedDialog(ParameterImage&, Messages&, CursorControl&, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("EXPERT PARAMETER"));
}
