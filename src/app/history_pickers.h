#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class QPushButton;
class QWidget;

// The small pieces of the History window: its buttons, and the choices it asks for before
// it changes the history or writes a report.

// A button that Enter does not press unless it has the focus, with its object and
// accessible names.
QPushButton* MakeButton(const QString& text, const char* name, const QString& accessible,
                        QWidget* parent);

// One of `choices` (its index), or -1 when the operator cancelled. The dialog's object
// name is "PickOne", its list's "choices"; OK and CANCEL as in every small dialog.
int PickOne(QWidget* parent, const QString& title, const QString& prompt,
            const QStringList& choices);

// The period of an audit report, both days whole, and its format.
struct AuditPeriod {
    QDate from;
    QDate to;
    bool pdf = true; // else CSV
};

// Asks for the period of `controller`'s audit report, starting from `period`; false when
// the operator cancelled. The dialog's object name is "AuditPeriod", its fields' "from",
// "to", "pdf" and "csv".
bool AskAuditPeriod(QWidget* parent, const QString& controller, AuditPeriod& period);
