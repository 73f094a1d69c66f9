#include "app/help_commands.h"

#include "app/document.h"
#include "widgets/window_fit_qt.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

QString UserGuidePath() {
    const QString installed = QDir(QCoreApplication::applicationDirPath())
                                  .filePath(QStringLiteral("../share/tqxloader/user-guide.md"));
    if (QFileInfo::exists(installed))
        return QFileInfo(installed).canonicalFilePath();
#ifdef TQX_USER_GUIDE_SOURCE
    if (QFileInfo::exists(QStringLiteral(TQX_USER_GUIDE_SOURCE)))
        return QStringLiteral(TQX_USER_GUIDE_SOURCE);
#endif
    return QString();
}

const std::vector<std::pair<const char*, const char*>>& KeyboardKeys() {
    static const std::vector<std::pair<const char*, const char*>> keys = {
        {"Alt + underlined letter", "Opens that menu, or presses that button"},
        {"Enter or double-click on a group's row", "Opens that group's editor on that group"},
        {"Enter in a field", "SEND: stores the fields and writes the group to TQX"},
        {"Enter on a focused button", "Presses that button"},
        {"Enter in an open list", "Picks the item; nothing is sent"},
        {"Escape", "CANCEL: closes the editor; what it stored with SEND or OK stays"},
        {"Tab, Shift+Tab", "Next and previous field (help buttons are left out)"},
        {"F1 in a field", "The field's help text, with its unit and range"},
        {"F1 in the main window", "This user guide"},
        {"Escape in the progress window", "Cancel: stops after the call under way"},
        {"Ctrl+Q", "Quit (asks first about edits neither sent nor written)"},
    };
    return keys;
}

HelpWindow::HelpWindow(const QString& title, QWidget* parent) : QDialog(parent) {
    setWindowTitle(title);
    setObjectName(QStringLiteral("HelpWindow"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Close"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    CenterOnParent(this);
}

void HelpWindow::ShowMarkdown(const QString& markdown) {
    auto* text = new QTextBrowser(this);
    text->setObjectName(QStringLiteral("guide"));
    text->setAccessibleName(windowTitle());
    text->setMarkdown(markdown);
    text->setOpenExternalLinks(false);
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, text, 1);
    // Lines of ninety characters, forty of them, as far as the screen allows.
    const QRect room = screen()->availableGeometry();
    text->setMinimumSize(
        QSize(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 90, 40 * fontMetrics().height())
            .boundedTo(room.size() - QSize(64, 160)));
}

void HelpWindow::ShowKeys(const std::vector<std::pair<const char*, const char*>>& keys) {
    auto* table = new QTableWidget(static_cast<int>(keys.size()), 2, this);
    table->setObjectName(QStringLiteral("keys"));
    table->setAccessibleName(windowTitle());
    table->setHorizontalHeaderLabels({QStringLiteral("Key"), QStringLiteral("What it does")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    int row = 0;
    for (const auto& [key, what] : keys) {
        table->setItem(row, 0, new QTableWidgetItem(QString::fromUtf8(key)));
        table->setItem(row, 1, new QTableWidgetItem(QString::fromUtf8(what)));
        ++row;
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, table, 1);
    // Every row and both columns without a scroll bar, where the screen has room.
    const int width = table->horizontalHeader()->length() + 2 * table->frameWidth() + 24;
    const int height = table->verticalHeader()->length() + table->horizontalHeader()->height() +
                       2 * table->frameWidth() + 8;
    table->setMinimumSize(
        QSize(width, height).boundedTo(screen()->availableGeometry().size() - QSize(64, 160)));
}

void HelpCommands::Run(Command command) {
    if (command == Command::KeyboardKeys) {
        HelpWindow keys(QStringLiteral("Keyboard keys"), m_document.Window());
        keys.ShowKeys(KeyboardKeys());
        keys.exec();
        return;
    }
    const QString path = UserGuidePath();
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        m_document.Tell().Show("The user guide was not found: it is installed as "
                               "share/tqxloader/user-guide.md beside the program's bin folder.");
        return;
    }
    HelpWindow guide(QStringLiteral("TQXLOADER user guide"), m_document.Window());
    guide.ShowMarkdown(QString::fromUtf8(file.readAll()));
    guide.exec();
}
