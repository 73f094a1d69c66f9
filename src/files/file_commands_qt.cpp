#include "files/file_commands_qt.h"

#include "files/file_name_dialog.h"
#include "files/file_path.h"
#include "files/parameter_file_reader.h"
#include "files/parameter_file_writer.h"

#include "widgets/saved_settings_qt.h"

#include <QDir>
#include <QFileInfo>

#include <functional>
#include <optional>
#include <string>

namespace {

// Asks for the file; no path when the operator cancels or leaves the name empty. A file
// read by a name without an extension is its ".slk" file when only that one exists.
std::optional<std::string> AskForPath(QWidget* parent, bool forWriting, FilePrompts* prompts) {
    FileNameDialog dialog(parent, forWriting, prompts);
    if (dialog.exec() != QDialog::Accepted || dialog.FileName().isEmpty())
        return std::nullopt;
    const std::string folder = dialog.Folder().toStdString();
    const std::string drive = dialog.Drive().toStdString();
    const std::string name = dialog.FileName().toStdString();
    std::string path = FilePathIn(folder, drive, name, forWriting);
    if (!forWriting && !QFileInfo::exists(QString::fromStdString(path))) {
        const std::string withExtension = FilePathIn(folder, drive, name, true);
        if (QFileInfo::exists(QString::fromStdString(withExtension)))
            path = withExtension;
    }
    return path;
}

// The folder of a file read or written is where the next name without one goes.
void RememberFolder(const std::string& path) {
    SavedSettings().SetLastFolder(QFileInfo(QString::fromStdString(path)).absolutePath());
}

// Runs the file work under the wait cursor; what it has to say is shown after the arrow
// cursor is back.
void UnderWaitCursor(CursorControl& cursor, Messages& messages,
                     const std::function<void(Messages&)>& work) {
    RecordingMessages held;
    {
        WaitCursor wait(cursor);
        work(held);
    }
    for (const std::string& text : held.Texts())
        messages.Show(text);
}

} // namespace

std::string FileWriteCommand(ParameterImage& image, Messages& messages, CursorControl& cursor,
                             QWidget* parent, FilePrompts* prompts) {
    const std::optional<std::string> path = AskForPath(parent, true, prompts);
    if (!path)
        return std::string();
    bool written = false;
    UnderWaitCursor(cursor, messages,
                    [&](Messages& held) { written = WriteParameterFile(image, *path, held); });
    if (written)
        RememberFolder(*path);
    return written ? *path : std::string();
}

std::string FileReadCommand(ParameterImage& image, Messages& messages, CursorControl& cursor,
                            QWidget* parent, FilePrompts* prompts) {
    const std::optional<std::string> path = AskForPath(parent, false, prompts);
    if (!path)
        return std::string();
    bool read = false;
    UnderWaitCursor(cursor, messages,
                    [&](Messages& held) { read = ReadParameterFile(*path, image, held); });
    if (read)
        RememberFolder(*path);
    return read ? *path : std::string();
}
