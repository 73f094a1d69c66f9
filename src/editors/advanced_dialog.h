#pragma once

#include "editors/cursor.h"
#include "editors/messages.h"
#include "image/parameter_image.h"

#include <QDialog>

// Placeholder until the editor lands: an empty dialog with the editor's title.
class AdvancedDialog : public QDialog {
    Q_OBJECT
public:
    AdvancedDialog(ParameterImage& image, Messages& messages, CursorControl& cursor,
                   QWidget* parent = nullptr);
};
