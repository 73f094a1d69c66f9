#include "app/code_symbols_dialog.h"

#include "operator/glossary.h"

#include "widgets/dialog_support_qt.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CodeSymbolsDialog::CodeSymbolsDialog(const QString& modelCode, const QString& readFailure,
                                     QWidget* parent)
    : QDialog(parent), m_code(new QLineEdit(readFailure.isEmpty() ? modelCode : QString(), this)) {
    setWindowTitle(QStringLiteral("CONNECT"));
    setObjectName(QStringLiteral("CodeSymbolsDialog"));
    m_code->setObjectName(QStringLiteral("code"));
    m_code->setAccessibleName(QStringLiteral("Code Symbols"));
    m_code->setMinimumWidth(m_code->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 16);

    auto* label = new QLabel(QStringLiteral("Code Symbols"), this);
    label->setToolTip(QString::fromLatin1(glossary::kCodeSymbols));
    m_code->setToolTip(label->toolTip());
    const OkCancelRow buttons = MakeOkCancelRow(this);
    buttons.ok->setDefault(true); // Enter is OK
    connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_code);
    if (!readFailure.isEmpty()) {
        auto* failure =
            new QLabel(QStringLiteral("The model code could not be read.\n") + readFailure, this);
        failure->setObjectName(QStringLiteral("codeFailure"));
        failure->setWordWrap(true);
        layout->addWidget(failure);
    }
    layout->addLayout(buttons.row);
    CenterOnPointer(this);
}
