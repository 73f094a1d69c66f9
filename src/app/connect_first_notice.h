#pragma once

#include <QDialog>

// The notice the editor commands show before any Connect or File Read: a small box
// without a title bar, centred on the mouse pointer.
class ConnectFirstNotice : public QDialog {
    Q_OBJECT
public:
    explicit ConnectFirstNotice(QWidget* parent = nullptr);
};
