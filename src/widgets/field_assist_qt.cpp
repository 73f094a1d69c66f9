#include "widgets/field_assist_qt.h"

#include "widgets/dialog_support_qt.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyle>
#include <QWidget>

#include <memory>
#include <vector>

namespace {

// The background of a marked field; a light amber that stays readable in both themes.
constexpr const char* kMarkStyle = "background-color: #ffe9a8;";

} // namespace

FieldAssist::FieldAssist(Messages& messages, QObject* parent)
    : QObject(parent), m_messages(messages) {}

void FieldAssist::Add(QWidget* field, const QString& help) {
    m_fields[field].help = help;
    field->setToolTip(help);
    field->installEventFilter(this);
    if (auto* combo = qobject_cast<QComboBox*>(field)) {
        if (combo->lineEdit())
            combo->lineEdit()->installEventFilter(this);
        connect(combo, &QComboBox::currentTextChanged, this, [this, field] { Update(field); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        connect(edit, &QLineEdit::textChanged, this, [this, field] { Update(field); });
    }
}

void FieldAssist::SetRange(QWidget* field, const QString& range) {
    const auto it = m_fields.find(field);
    if (it == m_fields.end() || it->second.range == range)
        return;
    it->second.range = range;
    Update(field);
}

QString FieldAssist::HelpWithRange(const Entry& entry) {
    if (entry.range.isEmpty() || entry.help.isEmpty())
        return entry.help + entry.range;
    return entry.help + QLatin1Char('\n') + entry.range;
}

void FieldAssist::SetReference(std::map<QWidget*, QString> texts, const QString& kind,
                               const QString& note) {
    m_kind = kind;
    m_note = note;
    for (auto& [field, entry] : m_fields) {
        const auto it = texts.find(field);
        entry.known = it != texts.end();
        entry.reference = entry.known ? it->second : QString();
    }
    UpdateAll();
}

std::map<QWidget*, QString> FieldAssist::TextsShownBy(const std::function<void()>& fill) {
    std::map<QWidget*, QString> saved;
    std::vector<std::unique_ptr<QSignalBlocker>> quiet;
    for (auto& [field, entry] : m_fields) {
        saved[field] = FieldText(field);
        quiet.push_back(std::make_unique<QSignalBlocker>(field));
        if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit())
            quiet.push_back(std::make_unique<QSignalBlocker>(combo->lineEdit()));
    }
    fill();
    std::map<QWidget*, QString> shown;
    for (auto& [field, text] : saved) {
        shown[field] = FieldText(field);
        SetFieldText(field, text);
    }
    return shown;
}

void FieldAssist::ClearReference() {
    for (auto& [field, entry] : m_fields)
        entry.known = false;
    UpdateAll();
}

void FieldAssist::UpdateAll() {
    for (auto& [field, entry] : m_fields)
        Update(field);
}

bool FieldAssist::Marked(const QWidget* field) {
    return field->property("differs").toBool();
}

void FieldAssist::Update(QWidget* field) {
    const Entry& entry = m_fields[field];
    const bool differs = entry.known && FieldText(field).trimmed() != entry.reference.trimmed();
    const QString line = differs ? m_kind + QStringLiteral(": ") + entry.reference +
                                       QStringLiteral(" (") + m_note + QStringLiteral(")")
                                 : QString();
    const QString help = HelpWithRange(entry);
    field->setToolTip(line.isEmpty()   ? help
                      : help.isEmpty() ? line
                                       : line + QStringLiteral("\n\n") + help);
    const QString description = differs ? QStringLiteral("differs from ") + line : QString();
    field->setAccessibleDescription(description);
    if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit())
        combo->lineEdit()->setAccessibleDescription(description);
    if (field->property("differs").toBool() == differs)
        return;
    field->setProperty("differs", differs);
    field->setStyleSheet(differs ? QString::fromLatin1(kMarkStyle) : QString());
}

bool FieldAssist::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
        return false;
    QWidget* field = qobject_cast<QWidget*>(watched);
    if (field && !m_fields.count(field) && field->parentWidget())
        field = field->parentWidget(); // a drop-down's own edit field
    const auto it = m_fields.find(field);
    const QString help = it == m_fields.end() ? QString() : HelpWithRange(it->second);
    if (help.isEmpty())
        return false;
    m_messages.Show(help.toStdString());
    return true;
}
