#include "app/file_menu_commands.h"

#include "app/document.h"
#include "app/history_recorder.h"
#include "files/file_commands_qt.h"
#include "files/file_path.h"

#include <QWidget>

void FileMenuCommands::Run(Command command) {
    if (command == Command::FileRead)
        Read();
    else if (command == Command::FileWrite)
        Write();
    else if (command == Command::FileQuit && m_document.Window())
        m_document.Window()->close(); // asks first about unsent edits, as closing does
}

void FileMenuCommands::Read() {
    CTQXLOADER961114Doc& d = m_document;
    if (!d.MayDropUnsentEdits("Read a file over them anyway?"))
        return;
    const std::string path =
        FileReadCommand(d.Image(), d.Tell(), d.Cursor(), d.Window(), &d.Prompts());
    if (path.empty())
        return;
    if (d.Status())
        d.Status()->ShowFileDone(QStringLiteral("Read ") + QString::fromStdString(FullPath(path)));
    d.Set().FileRead(path, d.Now());
    d.History().FileRead();
    d.NotifyChanged();
}

void FileMenuCommands::Write() {
    CTQXLOADER961114Doc& d = m_document;
    d.Set().Observe(d.Now());
    const std::string path =
        FileWriteCommand(d.Image(), d.Tell(), d.Cursor(), d.Window(), &d.Prompts());
    if (path.empty())
        return;
    if (d.Status())
        d.Status()->ShowFileDone(QStringLiteral("Written to ") +
                                 QString::fromStdString(FullPath(path)));
    d.Set().FileWritten(d.Now());
    d.History().FileWritten(path);
    d.NotifyChanged();
}
