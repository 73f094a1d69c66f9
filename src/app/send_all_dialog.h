#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;

// "SEND ALL": what is about to go where, confirmed with OK. It names the set's source,
// port 1 and the unit, the model code just read from the controller and anything that
// does not fit it; a write-inhibited controller gets a box to unlock it (off), and a box
// (on) keeps the controller's own values in a file first.
class SendAllDialog : public QDialog {
    Q_OBJECT
public:
    struct Content {
        QString source;       // "file /data/oven3.slk, edited since"
        QString port;         // "rtu:/dev/ttyUSB0 9600 8E1, unit 3"
        QString modelCode;    // as read now
        QStringList warnings; // a model code that differs, time signals 5 and 6
        bool locked = false;  // WDIS 1
        QString keepFolder;   // where the controller's own values are kept
    };

    explicit SendAllDialog(const Content& content, QWidget* parent = nullptr);

    bool Unlock() const;
    bool Keep() const;

private:
    QCheckBox* m_unlock = nullptr;
    QCheckBox* m_keep;
};
