#include "link/code_symbols_dialog.h"

#include "editors/dialog_support_qt.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CodeSymbolsDialog::CodeSymbolsDialog(const QString& modelCode, QWidget* parent)
    : QDialog(parent), m_code(new QLineEdit(modelCode, this)) {
    setWindowTitle(QStringLiteral("CONNECT"));
    setObjectName(QStringLiteral("CodeSymbolsDialog"));
    m_code->setObjectName(QStringLiteral("code"));
    m_code->setMinimumWidth(m_code->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 16);

    auto* label = new QLabel(QStringLiteral("Code Symbols"), this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("CANCEL"), this);
    ok->setObjectName(QStringLiteral("OK"));
    cancel->setObjectName(QStringLiteral("CANCEL"));
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_code);
    layout->addLayout(buttons);
    CenterOnPointer(this);
}
