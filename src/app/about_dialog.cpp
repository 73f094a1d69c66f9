#include "app/about_dialog.h"

#include "tqx_version.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About TQXLOADER"));
    auto* version = new QLabel(QStringLiteral("TQXLOADER ver.1.6"), this);
    version->setObjectName(QStringLiteral("version"));
    auto* maker = new QLabel(
        QStringLiteral("Parameter loader for TQX program controllers, by the tqxloader team"),
        this);
    // The version of this build, as --version prints it.
    auto* build = new QLabel(QStringLiteral("tqxloader " TQX_VERSION), this);
    build->setObjectName(QStringLiteral("buildVersion"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(version);
    text->addWidget(maker);
    text->addWidget(build);
    auto* row = new QHBoxLayout;
    row->addLayout(text, 1);
    row->addWidget(ok, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
