#include "files/file_name_dialog.h"

#include "widgets/dialog_support_qt.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FileNameDialog::FileNameDialog(QWidget* parent)
    : QDialog(parent), m_name(new QLineEdit(this)), m_drive(new QLineEdit(this)) {
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

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("FILE_NAME"), this), 0, 0);
    fields->addWidget(m_name, 0, 1, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("DRIVE(A,C..) "), this), 1, 0);
    fields->addWidget(m_drive, 1, 1, Qt::AlignLeft);
    fields->setColumnStretch(2, 1);

    const OkCancelRow buttons = MakeOkCancelRow(this);
    buttons.ok->setDefault(true); // Enter is OK
    connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(fields);
    layout->addLayout(buttons.row);
    CenterOnPointer(this);
}

QString FileNameDialog::FileName() const {
    return m_name->text();
}

QString FileNameDialog::Drive() const {
    return m_drive->text();
}
