#include "editors/group_dialog_qt.h"

#include "widgets/dialog_support_qt.h"

#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace groupdialog {

QComboBox* MakeCombo(const QString& name, std::vector<std::string> items, bool sorted,
                     QWidget* parent) {
    QComboBox* combo = MakeEditableCombo(name, name, parent);
    if (sorted)
        std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
            return QString::fromStdString(a).compare(QString::fromStdString(b),
                                                     Qt::CaseInsensitive) < 0;
        });
    for (const auto& item : items)
        combo->addItem(QString::fromStdString(item));
    return combo;
}

QLineEdit* MakeEdit(const QString& name, QWidget* parent, bool integer) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setAccessibleName(name);
    if (integer)
        edit->setValidator(new QIntValidator(-99999, 99999, edit));
    return edit;
}

QGroupBox* Box(const QString& title, QGridLayout*& grid, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    grid = new QGridLayout(box);
    grid->setColumnStretch(1, 1);
    return box;
}

void AddRow(QGridLayout* grid, QWidget* label, QWidget* control) {
    const int row = grid->rowCount();
    grid->addWidget(label, row, 0);
    grid->addWidget(control, row, 1);
}

QPushButton* MakeButton(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(true); // Enter on a focused button presses that button
    return button;
}

TransferButtons MakeTransferButtons(QDialog* dialog, bool right) {
    auto make = [dialog](const char* text) {
        return MakeButton(QString::fromLatin1(text), QString::fromLatin1(text), dialog);
    };
    TransferButtons t{new QHBoxLayout, make("RETRIEVE"), make("SEND"), make("OK"), make("CANCEL")};
    t.send->setDefault(true);
    QObject::connect(t.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    if (right)
        t.row->addStretch(1);
    for (QPushButton* b : {t.retrieve, t.send, t.ok, t.cancel})
        t.row->addWidget(b);
    return t;
}

} // namespace groupdialog
