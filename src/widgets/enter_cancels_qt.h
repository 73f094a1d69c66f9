#pragma once

class QDialog;

// Makes Enter and Return close `dialog` like CANCEL, whichever of its controls has the
// focus, and keeps its push buttons from becoming the default button. Call it once all
// controls exist. Used by the per-segment sub-editors, which have no default button.
void MakeEnterCancel(QDialog* dialog);
