#pragma once

#include "operator/file_prompts.h"

#include <QDialog>

class QLabel;
class QLineEdit;

// "FILE NAME": asks both file commands for a file name and a drive letter. Neither text
// is checked here; both start empty. "Browse..." asks the system file dialog (through
// `prompts`, the system's own when none is given) for a path and fills both fields from it.
class FileNameDialog : public QDialog {
    Q_OBJECT
public:
    explicit FileNameDialog(QWidget* parent = nullptr, bool forWriting = false,
                            FilePrompts* prompts = nullptr);

    QString FileName() const;
    QString Drive() const;
    // The folder a name without one goes into, shown above the fields: at first the
    // folder of the last file read or written, else the user's documents folder, else the
    // home folder.
    void SetFolder(const QString& folder);
    static QString DefaultFolder();
    QString Folder() const { return m_folderPath; }

private:
    void OnBrowse();

    QLineEdit* m_name;
    QLineEdit* m_drive;
    QLabel* m_folder;
    QString m_folderPath;
    bool m_forWriting;
    FilePrompts* m_prompts;
};
