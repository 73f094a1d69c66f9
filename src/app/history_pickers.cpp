#include "app/history_pickers.h"

#include "widgets/dialog_support_qt.h"
#include "widgets/window_fit_qt.h"

#include <QButtonGroup>
#include <QDateEdit>
#include <QDialog>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

QPushButton* MakeButton(const QString& text, const char* name, const QString& accessible,
                        QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    NameControl(button, accessible);
    button->setAutoDefault(false);
    return button;
}

int PickOne(QWidget* parent, const QString& title, const QString& prompt,
            const QStringList& choices) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("PickOne"));
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QLabel(prompt, &dialog);
    text->setWordWrap(true);
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("choices"));
    NameControl(list, prompt);
    list->addItems(choices);
    list->setCurrentRow(0);
    // Wide enough for the longest choice, so that none is cut, as far as the screen has room.
    const int room =
        parent && parent->screen() ? parent->screen()->availableGeometry().width() * 4 / 5 : 1000;
    list->setMinimumWidth(std::min(list->sizeHintForColumn(0) + 4 * list->frameWidth() + 24, room));
    text->setBuddy(list);
    const OkCancelRow buttons = MakeOkCancelRow(&dialog);
    NameControl(buttons.ok, QStringLiteral("OK"));
    NameControl(buttons.cancel, QStringLiteral("CANCEL"));
    QObject::connect(buttons.ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    layout->addWidget(text);
    layout->addWidget(list, 1);
    layout->addLayout(buttons.row);
    CenterOnParent(&dialog);
    if (dialog.exec() != QDialog::Accepted || !list->currentItem())
        return -1;
    return list->currentRow();
}

bool AskAuditPeriod(QWidget* parent, const QString& controller, AuditPeriod& period) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("AuditPeriod"));
    dialog.setWindowTitle(QStringLiteral("Audit report"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* what = new QLabel(QStringLiteral("Every change to %1 in the period, each parameter "
                                           "as found and as left, with who, when and the note.")
                                .arg(controller),
                            &dialog);
    what->setWordWrap(true);
    const auto date = [&](const char* name, const QString& accessible, const QDate& value) {
        auto* edit = new QDateEdit(value, &dialog);
        edit->setObjectName(QLatin1String(name));
        NameControl(edit, accessible);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
        return edit;
    };
    QDateEdit* from = date("from", QStringLiteral("From (the whole day)"), period.from);
    QDateEdit* to = date("to", QStringLiteral("To (the whole day)"), period.to);
    auto* pdf = new QRadioButton(QStringLiteral("&PDF"), &dialog);
    auto* csv = new QRadioButton(QStringLiteral("&CSV"), &dialog);
    pdf->setObjectName(QStringLiteral("pdf"));
    csv->setObjectName(QStringLiteral("csv"));
    (period.pdf ? pdf : csv)->setChecked(true);
    auto* format = new QHBoxLayout;
    format->addWidget(pdf);
    format->addWidget(csv);
    format->addStretch(1);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("&From:"), from);
    fields->addRow(QStringLiteral("&To:"), to);
    fields->addRow(QStringLiteral("Format:"), format);
    // The period cannot end before it begins.
    to->setMinimumDate(from->date());
    QObject::connect(from, &QDateEdit::dateChanged, to, &QDateEdit::setMinimumDate);
    const OkCancelRow buttons = MakeOkCancelRow(&dialog);
    NameControl(buttons.ok, QStringLiteral("OK"));
    NameControl(buttons.cancel, QStringLiteral("CANCEL"));
    QObject::connect(buttons.ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    layout->addWidget(what);
    layout->addLayout(fields);
    layout->addLayout(buttons.row);
    CenterOnParent(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    period = {from->date(), to->date(), pdf->isChecked()};
    return true;
}
