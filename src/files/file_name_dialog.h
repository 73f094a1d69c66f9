#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;

// "FILE NAME": asks both file commands for a file name and a drive letter. Neither text
// is checked here; both start empty. "Browse..." asks the system file dialog (or
// `browse`, when given) for a path and fills both fields from it.
class FileNameDialog : public QDialog {
    Q_OBJECT
public:
    // Returns the picked path, or an empty text when the operator cancelled.
    using Browse = std::function<QString(QWidget* parent)>;

    explicit FileNameDialog(QWidget* parent = nullptr, bool forWriting = false, Browse browse = {});

    QString FileName() const;
    QString Drive() const;

private:
    void OnBrowse();

    QLineEdit* m_name;
    QLineEdit* m_drive;
    bool m_forWriting;
    Browse m_browse;
};
