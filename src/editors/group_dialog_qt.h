#pragma once

// Building blocks of the group editor dialogs (system setup, advanced, PID group): rows of
// label and control in titled boxes, and the RETRIEVE, SEND, OK, CANCEL row.

#include <QString>

#include <string>
#include <vector>

class QComboBox;
class QDialog;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace groupdialog {

// An editable drop-down; a sorted one gets its items in the list box's own order.
QComboBox* MakeCombo(const QString& name, std::vector<std::string> items, bool sorted,
                     QWidget* parent);

// An edit field; an integer one refuses other texts itself. Its bounds are wide enough
// that the store step, not the field, reports values out of range.
QLineEdit* MakeEdit(const QString& name, QWidget* parent, bool integer = false);

// A push button; Enter presses it while it has the focus, and the default button again
// once the focus is back in a field.
QPushButton* MakeButton(const QString& text, const QString& name, QWidget* parent);

// A titled box whose grid has its controls in the stretching second column.
QGroupBox* Box(const QString& title, QGridLayout*& grid, QWidget* parent);

// One row of a box: a plain label or a help button, then its control.
void AddRow(QGridLayout* grid, QWidget* label, QWidget* control);

// RETRIEVE, SEND (the default button: Enter in a field sends), OK and CANCEL, which
// rejects the dialog; Enter on a focused one presses that one. Right-aligned when `right` is set.
struct TransferButtons {
    QHBoxLayout* row;
    QPushButton *retrieve, *send, *ok, *cancel;
};
TransferButtons MakeTransferButtons(QDialog* dialog, bool right);

} // namespace groupdialog
