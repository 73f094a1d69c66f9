#pragma once

// Building blocks of the group editor dialogs (system setup, advanced, PID group): rows of
// label and control in titled boxes, and the RETRIEVE, SEND, OK, CANCEL row.

#include "editors/pattern_working_state.h"
#include "image/group_id.h"
#include "transfers/parameter_set.h"

#include <QString>

#include <functional>

#include <string>
#include <vector>

class FieldAssist;
class Questions;
class QComboBox;
class QLabel;
class QVBoxLayout;
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

// An edit field. It takes any text: the store step refuses what does not fit, with the
// parameter's message, so nothing typed is dropped unseen.
QLineEdit* MakeEdit(const QString& name, QWidget* parent);

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

// Hands every edit field and drop-down of `dialog` to `assist`, with the help text of the
// catalogue row of `kind` its name matches.
void AssistFields(QWidget* dialog, FieldAssist& assist, GroupId::Kind kind);

// What each field of `dialog` that `assist` holds takes, with its unit, in the input range
// and units of `setup`: in its tooltip and on F1, and where the field's grid has room to
// its right, in a caption there.
void ShowRanges(QWidget* dialog, FieldAssist& assist, GroupId::Kind kind,
                const SystemSetupRecord& setup);

// Marks the fields of `assist` against the reference of `group` in `set`: `fill` puts the
// texts of the reference values into the fields (the dialog's own fill step).
void MarkAgainstReference(FieldAssist& assist, const ParameterSet* set, GroupId group,
                          const std::function<void()>& fill);

// Marks the fields of a pattern's sub-editor against pattern `n` of the set's reference
// values, the system setup as `image` holds it: `fill` puts into the fields the texts the
// sub-editor shows for a working state.
void MarkSubEditor(FieldAssist& assist, const ParameterSet& set, const ParameterImage& image, int n,
                   const std::function<void(PatternWorkingState&)>& fill);

// The line at the top of `top` that says a group's values are nobody's choice (the
// loader's start values, or what it held before a read failed); hidden until then.
QLabel* MakeUnchosenLine(QVBoxLayout* top, QWidget* dialog);
void ShowUnchosenLine(QLabel* line, const ParameterSet* set, GroupId group);

// Before a SEND writes `groups`: true when each holds values someone chose, or when the
// operator answers Yes to sending them anyway (No, the default, writes nothing). Asks
// through `questions`, or the toolkit's box over `dialog` when there is none.
bool MaySendUnchosen(const ParameterSet* set, Questions* questions,
                     const std::vector<GroupId>& groups, QWidget* dialog);

} // namespace groupdialog
