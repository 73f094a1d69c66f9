#pragma once

class QDialog;

// Enter and Return in the dialogs. Everywhere, Enter on a focused push button presses that
// button and Enter in an open drop-down list picks the item and does nothing else. Call
// one of these once all controls of `dialog` exist.

// Enter in any field closes `dialog` like CANCEL; the dialog has no default button. Used
// by the per-segment sub-editors.
void MakeEnterCancel(QDialog* dialog);

// Enter in a closed drop-down presses the default button, as Enter in an edit field does.
// Used by the group editors, whose default button is SEND.
void MakeEnterInDropDownsPressDefault(QDialog* dialog);
