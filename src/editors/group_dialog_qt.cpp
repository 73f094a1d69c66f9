#include "editors/group_dialog_qt.h"

#include "image/parameter_catalogue.h"
#include "widgets/dialog_support_qt.h"
#include "widgets/field_assist_qt.h"

#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
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

QLineEdit* MakeEdit(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setAccessibleName(name);
    // Wide enough for any value with its unit, never stretched across a large window.
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 24);
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
    // A help button keeps its own width; room a capped field cannot take stays empty.
    if (qobject_cast<QPushButton*>(label))
        label->setSizePolicy(QSizePolicy::Maximum, label->sizePolicy().verticalPolicy());
    grid->addWidget(label, row, 0);
    // Fields take their own width, starting at the left of their cell: a drop-down as wide
    // as its longest choice and at least as wide as an edit field, never stretched across
    // a wide box.
    if (qobject_cast<QComboBox*>(control))
        control->setMinimumWidth(std::max(control->minimumWidth(), QLineEdit().sizeHint().width()));
    const bool field = qobject_cast<QLineEdit*>(control) || qobject_cast<QComboBox*>(control);
    grid->addWidget(control, row, 1, field ? Qt::AlignLeft : Qt::Alignment());
}

QPushButton* MakeButton(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(true); // Enter on a focused button presses that button
    return button;
}

TransferButtons MakeTransferButtons(QDialog* dialog, bool right) {
    // Alt+R, Alt+S, Alt+O and Alt+C press them; the names stay the plain words.
    auto make = [dialog](const char* text) {
        return MakeButton(QLatin1Char('&') + QString::fromLatin1(text), QString::fromLatin1(text),
                          dialog);
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

void AssistFields(QWidget* dialog, FieldAssist& assist, GroupId::Kind kind) {
    for (QWidget* field : dialog->findChildren<QWidget*>()) {
        auto* line = qobject_cast<QLineEdit*>(field);
        const bool edit =
            line && !line->isReadOnly() && !qobject_cast<QComboBox*>(field->parentWidget());
        if (!edit && !qobject_cast<QComboBox*>(field))
            continue;
        // A segment's field is named by its row and segment: "SV_3".
        std::string name = field->objectName().toStdString();
        const ParameterRow* row = FindRow(kind, name);
        if (!row && name.find('_') != std::string::npos)
            row = FindRow(kind, name.substr(0, name.rfind('_')));
        assist.Add(field, QString::fromLatin1(row && row->help ? row->help : ""));
    }
}

void MarkAgainstReference(FieldAssist& assist, const ParameterSet* set, GroupId group,
                          const std::function<void()>& fill) {
    if (!set || set->ReferenceOf(group).kind.empty()) {
        assist.ClearReference();
        return;
    }
    const ParameterSet::Origin& origin = set->ReferenceOf(group);
    assist.SetReference(assist.TextsShownBy(fill), QString::fromStdString(origin.kind),
                        QString::fromStdString(origin.note));
}

void MarkSubEditor(FieldAssist& assist, const ParameterSet& set, const ParameterImage& image, int n,
                   const std::function<void(PatternWorkingState&)>& fill) {
    ParameterImage reference = image;
    reference.pattern = set.Reference().pattern;
    PatternWorkingState state;
    LoadPattern(reference, n, state);
    MarkAgainstReference(assist, &set, GroupId::Pattern(n), [&] { fill(state); });
}

QLabel* MakeUnchosenLine(QVBoxLayout* top, QWidget* dialog) {
    auto* line = new QLabel(dialog);
    line->setObjectName(QStringLiteral("unchosen"));
    line->setWordWrap(true);
    line->setStyleSheet(QStringLiteral("font-weight: bold"));
    line->hide();
    top->addWidget(line);
    return line;
}

void ShowUnchosenLine(QLabel* line, const ParameterSet* set, GroupId group) {
    const std::string text = set ? set->UnchosenLine(group) : std::string();
    line->setText(QString::fromStdString(text));
    line->setAccessibleName(line->text());
    line->setVisible(!text.empty());
}

bool MaySendUnchosen(const ParameterSet* set, Questions* questions,
                     const std::vector<GroupId>& groups, QWidget* dialog) {
    if (!set)
        return true;
    const std::string question =
        set->UnchosenSendQuestion(groups, dialog->windowTitle().toStdString());
    if (question.empty())
        return true;
    QtQuestions boxes(dialog);
    return (questions ? *questions : static_cast<Questions&>(boxes)).Ask(question);
}

} // namespace groupdialog
