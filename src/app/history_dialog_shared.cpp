// The History window's Refresh, and the choice of a history shared by the plant.

#include "app/history_dialog.h"

#include "app/history_reader.h"
#include "history/postgres_session.h"
#include "operator/messages.h"
#include "widgets/saved_settings_qt.h"

#include <QInputDialog>
#include <QLabel>
#include <QTableWidget>

#include <cstdlib>

void HistoryDialog::Refresh() {
    // What another loader or PC recorded since: the controllers again, and the page of the
    // one selected.
    const ControllerEntry* current = Current();
    AskControllers(current ? current->id : 0);
}

void HistoryDialog::AskSharedHistory() {
    SavedSettings settings;
    QInputDialog ask(this);
    ask.setObjectName(QStringLiteral("sharedHistory"));
    ask.setWindowTitle(QStringLiteral("Shared history"));
    ask.setLabelText(QStringLiteral(
        "The plant's history on a PostgreSQL server, as a connection string\n"
        "(postgresql://server/database, or host=server dbname=database user=name).\n"
        "Leave it empty to record into this PC's own history file.\n"
        "No password is kept here: put it in ~/.pgpass, where the database library finds it.\n"
        "While the server is out of reach, snapshots wait in this PC's file and are sent later."));
    ask.setTextValue(QString::fromStdString(settings.SharedHistory()));
    ask.resize(ask.sizeHint().width() * 3 / 2, ask.sizeHint().height());
    if (ask.exec() != QDialog::Accepted)
        return;
    const std::string chosen = ask.textValue().trimmed().toStdString();
    if (const std::string why = SharedHistoryRefusal(chosen); !why.empty()) {
        m_messages.Show(why);
        return;
    }
    settings.SetSharedHistory(chosen);
    QString said = chosen.empty()
                       ? QStringLiteral("From now on the loader records into this PC's history "
                                        "file.")
                       : QStringLiteral("From now on the loader records into the shared history "
                                        "on %1.")
                             .arg(QString::fromStdString(ServerName(chosen)));
    if (const char* chosenByEnvironment = std::getenv("TQX_HISTORY");
        chosenByEnvironment && *chosenByEnvironment)
        said = QStringLiteral("Kept, but TQX_HISTORY is set and comes first: the loader records "
                              "into %1 while it is.")
                   .arg(IsServerConnection(chosenByEnvironment)
                            ? QString::fromStdString(ServerName(chosenByEnvironment))
                            : QString::fromLocal8Bit(chosenByEnvironment));
    m_status->setText(said + QStringLiteral(" Close this window and open File > History... "
                                            "again to read it."));
}
