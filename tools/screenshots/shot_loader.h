#pragma once

#include "app/document.h"
#include "app/main_frame.h"
#include "operator/cursor.h"

#include <QLineEdit>
#include <QPushButton>
#include <QString>

// The loader's main window over an image of its own, as the shots drive it. Port 1 is
// taken from the environment when it is made.
struct ShotLoader {
    ParameterImage image;
    RecordingMessages messages;
    NoCursor cursor;
    CTQXLOADER961114Doc document{image, messages, cursor};
    CMainFrame frame{document};
};

// Clicks the button of `dialog` with this object name, when there is one.
inline void Press(QWidget* dialog, const char* name) {
    if (auto* button = dialog->findChild<QPushButton*>(QString::fromLatin1(name)))
        button->click();
}

// Types `text` into the edit field of `dialog` with this object name, when there is one.
inline void Type(QWidget* dialog, const char* field, const char* text) {
    if (auto* edit = dialog->findChild<QLineEdit*>(QString::fromLatin1(field)))
        edit->setText(QString::fromLatin1(text));
}
