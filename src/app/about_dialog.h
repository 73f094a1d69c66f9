#pragma once

#include <QDialog>

// The About box of the Version menu.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
