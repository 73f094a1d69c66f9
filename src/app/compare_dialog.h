#pragma once

#include "editors/parameter_listing.h"

#include <QDialog>
#include <QString>

#include <vector>

class QTreeWidget;

// Every parameter that differs between the loader (or a snapshot of the history) and the
// controller, a file or another snapshot, grouped by group: the mnemonic, both values as
// the editors show them and both stored values; "Copy" puts the list on the clipboard as
// text.
class CompareDialog : public QDialog {
    Q_OBJECT
public:
    CompareDialog(const QString& title, const std::vector<ParameterDifference>& differences,
                  const QString& otherName, QWidget* parent = nullptr)
        : CompareDialog(title, differences, QStringLiteral("Loader"), otherName, parent) {}
    // `aName` names the first side.
    CompareDialog(const QString& title, const std::vector<ParameterDifference>& differences,
                  const QString& aName, const QString& otherName, QWidget* parent = nullptr);

    const QString& Text() const { return m_text; }

private:
    QTreeWidget* m_list = nullptr;
    QString m_text;
};
