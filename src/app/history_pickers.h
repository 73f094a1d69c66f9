#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class QWidget;

// The small choices the History window asks for before it changes the history or writes
// a report.

// One of `choices` (its index), or -1 when the operator cancelled. The list's object name
// is "choices"; OK and CANCEL as in every small dialog.
int PickOne(QWidget* parent, const QString& title, const QString& prompt,
            const QStringList& choices);

// The period of an audit report, both days whole, and its format.
struct AuditPeriod {
    QDate from;
    QDate to;
    bool pdf = true; // else CSV
};

// Asks for the period of `controller`'s audit report, starting from `period`; false when
// the operator cancelled. The fields' object names are "from", "to", "pdf" and "csv".
bool AskAuditPeriod(QWidget* parent, const QString& controller, AuditPeriod& period);
