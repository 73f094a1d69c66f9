#pragma once

#include <QDialog>

class QLineEdit;

// "FILE NAME": asks both file commands for a file name and a drive letter. Neither text
// is checked here; both start empty.
class FileNameDialog : public QDialog {
    Q_OBJECT
public:
    explicit FileNameDialog(QWidget* parent = nullptr);

    QString FileName() const;
    QString Drive() const;

private:
    QLineEdit* m_name;
    QLineEdit* m_drive;
};
