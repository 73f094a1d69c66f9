#pragma once

class QDialog;

// Makes Enter and Return in a field of `dialog` close it like CANCEL; on a focused push
// button Enter presses that button, and in an open drop-down list it picks the item. The
// dialog has no default button. Call it once all controls exist. Used by the per-segment
// sub-editors.
void MakeEnterCancel(QDialog* dialog);
