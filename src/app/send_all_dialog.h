#pragma once

#include "editors/parameter_listing.h"
#include "image/group_id.h"

#include <QDialog>
#include <QStringList>

#include <vector>

class QCheckBox;
class QVBoxLayout;

// "SEND ALL", and "SEND EDITED GROUPS": what is about to go where, confirmed with OK. It
// names the set's source, port 1 and the unit, the model code just read from the
// controller and anything that does not fit it, and how many parameters of each group
// differ from what the controller holds now ("Differences..." lists them as Compare does).
// For a whole set, a write-inhibited controller gets a box to unlock it (off) and one to
// keep its write inhibit at the end (on), and a box (on) keeps the controller's own values
// in a file first.
class SendAllDialog : public QDialog {
    Q_OBJECT
public:
    struct Content {
        QString title = QStringLiteral("SEND ALL");
        QString heading;      // what goes; empty: every group
        QString source;       // "file /data/oven3.slk, edited since"
        QString port;         // "rtu:/dev/ttyUSB0 9600 8E1, unit 3"
        QString modelCode;    // as read now
        QStringList warnings; // a model code that differs, time signals 5 and 6
        // The groups that go, and every parameter in which what goes differs from what
        // the controller holds now.
        std::vector<GroupId> groups;
        std::vector<ParameterDifference> differences;
        bool wholeSet = true; // Send all: the write inhibit and the kept copy are offered
        bool locked = false;  // WDIS 1
        QString keepFolder;   // where the controller's own values are kept
    };

    explicit SendAllDialog(const Content& content, QWidget* parent = nullptr);

    bool Unlock() const;
    // Unlocked, the controller's WDIS 1 is written last in place of the set's.
    bool KeepInhibit() const;
    bool Keep() const;

private:
    void AddDifferences(const Content& content, QVBoxLayout* layout);

    QCheckBox* m_unlock = nullptr;
    QCheckBox* m_keepInhibit = nullptr;
    QCheckBox* m_keep = nullptr;
};
