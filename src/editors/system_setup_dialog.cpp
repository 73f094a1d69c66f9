#include "editors/system_setup_dialog.h"

SystemSetupDialog::SystemSetupDialog(ParameterImage&, Messages&, CursorControl&, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("SYSTEM PARAMETER"));
}
