#include "files/file_name_dialog.h"

#include "files/file_path.h"
#include "widgets/dialog_support_qt.h"
#include "widgets/window_fit_qt.h"

#include "widgets/saved_settings_qt.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FileNameDialog::FileNameDialog(QWidget* parent, bool forWriting, FilePrompts* prompts)
    : QDialog(parent), m_name(new QLineEdit(this)), m_drive(new QLineEdit(this)),
      m_folder(new QLabel(this)), m_forWriting(forWriting), m_prompts(prompts) {
    setWindowTitle(QStringLiteral("FILE NAME"));
    setObjectName(QStringLiteral("FileNameDialog"));

    auto* note =
        new QLabel(QStringLiteral("The File is  SYLC type available for Microsoft EXCEL"), this);
    note->setObjectName(QStringLiteral("note"));
    note->setAlignment(Qt::AlignCenter);
    note->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    note->setMargin(6);

    const int em = fontMetrics().horizontalAdvance(QLatin1Char('W'));
    m_name->setObjectName(QStringLiteral("FILE_NAME"));
    m_name->setAccessibleName(QStringLiteral("FILE_NAME"));
    m_name->setMinimumWidth(16 * em);
    m_drive->setObjectName(QStringLiteral("DRIVE"));
    m_drive->setAccessibleName(QStringLiteral("DRIVE"));
    m_drive->setFixedWidth(3 * em);
    m_drive->setToolTip(QStringLiteral(
        "The drive letter (A, C, ...) where the system has drive letters, as on the "
        "controller's own PC software. Elsewhere leave it empty: a name without a folder goes "
        "into the folder shown above, and a longer text here is taken as a folder."));
    m_name->setToolTip(
        m_forWriting
            ? QStringLiteral("The file's name; \".slk\" is added when it has no extension. A "
                             "name without a folder goes into the folder shown above.")
            : QStringLiteral("The file's name; a name without a folder is looked for in the "
                             "folder shown above, and with \".slk\" added when it has no "
                             "extension."));
    m_folder->setObjectName(QStringLiteral("folder"));
    m_folder->setAccessibleName(QStringLiteral("Folder"));
    m_folder->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Folder"), this), 0, 0);
    fields->addWidget(m_folder, 0, 1, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("FILE_NAME"), this), 1, 0);
    fields->addWidget(m_name, 1, 1, 1, 2);
    auto* driveLabel = new QLabel(QStringLiteral("DRIVE(A,C..) "), this);
    driveLabel->setToolTip(m_drive->toolTip());
    fields->addWidget(driveLabel, 2, 0);
    fields->addWidget(m_drive, 2, 1, Qt::AlignLeft);
    auto* browseButton = new QPushButton(QStringLiteral("Browse..."), this);
    browseButton->setObjectName(QStringLiteral("Browse"));
    browseButton->setAccessibleName(QStringLiteral("Browse..."));
    browseButton->setAutoDefault(false);
    connect(browseButton, &QPushButton::clicked, this, &FileNameDialog::OnBrowse);
    fields->addWidget(browseButton, 2, 2, Qt::AlignRight);
    fields->setColumnStretch(2, 1);

    const OkCancelRow buttons = MakeOkCancelRow(this);
    buttons.ok->setDefault(true); // Enter is OK
    connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(fields);
    layout->addLayout(buttons.row);
    SetFolder(DefaultFolder());
    CenterOnParent(this);
}

QString FileNameDialog::DefaultFolder() {
    const QString last = SavedSettings().LastFolder();
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void FileNameDialog::OnBrowse() {
    QtFilePrompts system(this);
    FilePrompts& prompts = m_prompts ? *m_prompts : system;
    const QString picked = QString::fromStdString(
        prompts.PickPath(m_forWriting ? FilePrompts::Purpose::Save : FilePrompts::Purpose::Open,
                         windowTitle().toStdString(), "Parameter files (*.slk);;All files (*)"));
    if (picked.isEmpty())
        return;
#ifdef _WIN32
    const bool driveLetters = true;
#else
    const bool driveLetters = false;
#endif
    const DriveAndName split =
        SplitPickedPath(QDir::toNativeSeparators(picked).toStdString(), driveLetters);
    m_drive->setText(QString::fromStdString(split.drive));
    m_name->setText(QString::fromStdString(split.name));
}

QString FileNameDialog::FileName() const {
    return m_name->text();
}

QString FileNameDialog::Drive() const {
    return m_drive->text();
}

void FileNameDialog::SetFolder(const QString& folder) {
    m_folderPath = folder;
    m_folder->setText(QDir::toNativeSeparators(folder));
    m_folder->setToolTip(m_folder->text());
}
