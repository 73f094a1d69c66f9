#pragma once

#include "operator/messages.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>

class QWidget;

// What an editor's fields tell beyond their text: each field's help text as its tooltip
// and on F1, and a mark on each field whose text differs from what it would show for the
// reference values (what the controller last returned, or the file the set came from): a
// distinct background, a tooltip line "controller: 1200.0 (read 09:12)" and the same
// words in the field's accessible description.
class FieldAssist : public QObject {
public:
    FieldAssist(Messages& messages, QObject* parent);

    // An edit field or drop-down with its parameter's help text (may be empty).
    void Add(QWidget* field, const QString& help);
    // What the field takes, with its unit ("A1HS: 0 to 600 \u00B0C"), after its help in the
    // tooltip and on F1; empty for none.
    void SetRange(QWidget* field, const QString& range);
    // The text each field would show for the reference values, and where they came from:
    // `kind` "controller" or "file", `note` "read 09:12" or "oven3.slk".
    void SetReference(std::map<QWidget*, QString> texts, const QString& kind, const QString& note);
    // The text each field shows once `fill` has filled them (from the reference values);
    // every field is put back as it was, without a signal.
    std::map<QWidget*, QString> TextsShownBy(const std::function<void()>& fill);
    // No reference values: nothing is marked.
    void ClearReference();
    void UpdateAll();

    // Whether `field` is marked now (for tests).
    static bool Marked(const QWidget* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QString help;
        QString range;
        QString reference;
        bool known = false;
    };
    void Update(QWidget* field);
    // The help, then what the field takes.
    static QString HelpWithRange(const Entry& entry);

    Messages& m_messages;
    std::map<QWidget*, Entry> m_fields;
    QString m_kind, m_note;
};
