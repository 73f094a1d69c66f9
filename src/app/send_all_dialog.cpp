#include "app/send_all_dialog.h"

#include "widgets/dialog_support_qt.h"
#include "widgets/window_fit_qt.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* Value(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

SendAllDialog::SendAllDialog(const Content& content, QWidget* parent)
    : QDialog(parent),
      m_keep(new QCheckBox(QStringLiteral("&Keep the controller's own values in a file first"),
                           this)) {
    setWindowTitle(QStringLiteral("SEND ALL"));
    setObjectName(QStringLiteral("SendAllDialog"));

    auto* heading = new QLabel(QStringLiteral("Every group of the loader's set goes to TQX: "
                                              "system setup, advanced, PID groups 1-9 and "
                                              "program patterns 1-9."),
                               this);
    heading->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("From:"), Value(content.source, QStringLiteral("source"), this));
    form->addRow(QStringLiteral("To:"),
                 Value(QStringLiteral("port 1 ") + content.port, QStringLiteral("port"), this));
    form->addRow(QStringLiteral("Model code:"),
                 Value(content.modelCode, QStringLiteral("modelCode"), this));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(form);
    for (int i = 0; i < content.warnings.size(); ++i) {
        QLabel* warning = Value(content.warnings[i], QStringLiteral("warning%1").arg(i + 1), this);
        warning->setWordWrap(true);
        warning->setStyleSheet(QStringLiteral("color: #a00000;"));
        layout->addWidget(warning);
    }
    if (content.locked) {
        layout->addWidget(Value(QStringLiteral("TQX is write-inhibited (WDIS 1): nothing is "
                                               "written unless it is unlocked."),
                                QStringLiteral("locked"), this));
        m_unlock =
            new QCheckBox(QStringLiteral("&Unlock: write WDIS 0 first, the set's WDIS last"), this);
        m_unlock->setObjectName(QStringLiteral("unlock"));
        layout->addWidget(m_unlock);
    }
    m_keep->setObjectName(QStringLiteral("keep"));
    m_keep->setChecked(true);
    m_keep->setToolTip(QStringLiteral("Saved in ") + content.keepFolder);
    layout->addWidget(m_keep);

    const OkCancelRow buttons = MakeOkCancelRow(this);
    buttons.cancel->setDefault(true); // Enter alone never sends a whole set
    connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addLayout(buttons.row);
    setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 60);
    CenterOnParent(this);
}

bool SendAllDialog::Unlock() const {
    return m_unlock && m_unlock->isChecked();
}

bool SendAllDialog::Keep() const {
    return m_keep->isChecked();
}
