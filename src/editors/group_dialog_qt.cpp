#include "editors/group_dialog_qt.h"

#include "editors/form_fields.h"
#include "operator/glossary.h"

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

namespace {

// The catalogue row a field of the group's window is named by ("SV_3" by its row "SV").
const ParameterRow* RowOfField(const QWidget* field, GroupId::Kind kind) {
    const std::string name = field->objectName().toStdString();
    const ParameterRow* row = FindRow(kind, name);
    if (!row && name.find('_') != std::string::npos)
        row = FindRow(kind, name.substr(0, name.rfind('_')));
    return row;
}

// The caption to the right of `field` in its grid: made the first time, when that cell
// is free; null where there is no room.
QLabel* CaptionOf(QWidget* field) {
    const QString name = field->objectName() + QStringLiteral("_range");
    QWidget* parent = field->parentWidget();
    if (auto* caption = parent->findChild<QLabel*>(name, Qt::FindDirectChildrenOnly))
        return caption;
    auto* grid = qobject_cast<QGridLayout*>(parent->layout());
    const int at = grid ? grid->indexOf(field) : -1;
    if (at < 0)
        return nullptr;
    int row = 0, column = 0, rows = 0, columns = 0;
    grid->getItemPosition(at, &row, &column, &rows, &columns);
    if (rows != 1 || grid->itemAtPosition(row, column + columns))
        return nullptr;
    auto* caption = new QLabel(parent);
    caption->setObjectName(name);
    grid->addWidget(caption, row, column + columns);
    return caption;
}

// Once a grid has captions, a control in its column without one takes the caption's
// column too, so that a long drop-down keeps its width.
void SpanUncaptioned(QGridLayout* grid, int column) {
    // The fields keep their own width, their captions right beside them.
    grid->setColumnStretch(column, 0);
    grid->setColumnStretch(column + 1, 1);
    for (int r = 0; r < grid->rowCount(); ++r) {
        QLayoutItem* item = grid->itemAtPosition(r, column);
        if (!item || !item->widget() || grid->itemAtPosition(r, column + 1))
            continue;
        QWidget* control = item->widget();
        grid->removeWidget(control);
        grid->addWidget(control, r, column, 1, 2);
    }
}

} // namespace

void ShowRanges(QWidget* dialog, FieldAssist& assist, GroupId::Kind kind,
                const SystemSetupRecord& setup) {
    std::vector<std::pair<QGridLayout*, int>> captioned; // grids with a first caption now
    for (QWidget* field : dialog->findChildren<QWidget*>()) {
        if (!qobject_cast<QComboBox*>(field) && !qobject_cast<QLineEdit*>(field))
            continue;
        const ParameterRow* row = RowOfField(field, kind);
        if (!row || field->objectName().endsWith(QStringLiteral("_range")))
            continue;
        const QString range = QString::fromStdString(FieldRangeText(*row, setup));
        // A drop-down's list, in the tooltip and on F1 only.
        const QString takes = !range.isEmpty() || row->encoding != Encoding::Choice
                                  ? range
                                  : QString::fromStdString(RowTakes(*row, InputRange()));
        assist.SetRange(field, takes.isEmpty() ? QString()
                                               : QString::fromLatin1(row->Label()) +
                                                     QStringLiteral(": ") + takes);
        // Segment fields stand side by side: the pattern window's Range box says it once.
        if (row->scope == Scope::Segment)
            continue;
        const bool had = field->parentWidget()->findChild<QLabel*>(
            field->objectName() + QStringLiteral("_range"), Qt::FindDirectChildrenOnly);
        QLabel* caption = range.isEmpty() ? nullptr : CaptionOf(field);
        if (!caption)
            continue;
        caption->setText(range);
        auto* grid = qobject_cast<QGridLayout*>(field->parentWidget()->layout());
        int at = 0, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(grid->indexOf(field), &at, &column, &rows, &columns);
        if (!had)
            captioned.emplace_back(grid, column);
    }
    std::sort(captioned.begin(), captioned.end());
    captioned.erase(std::unique(captioned.begin(), captioned.end()), captioned.end());
    for (const auto& [grid, column] : captioned)
        SpanUncaptioned(grid, column);
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
    line->setToolTip(QString::fromLatin1(glossary::kStartValues));
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
