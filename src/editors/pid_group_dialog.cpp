#include "editors/pid_group_dialog.h"

PidGroupDialog::PidGroupDialog(ParameterImage&, Messages&, CursorControl&, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("SETTING OF PID GROUP"));
}
