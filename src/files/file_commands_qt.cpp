#include "files/file_commands_qt.h"

#include "files/file_name_dialog.h"
#include "files/file_path.h"
#include "files/parameter_file_reader.h"
#include "files/parameter_file_writer.h"

#include <functional>
#include <optional>
#include <string>

namespace {

// Asks for the file; no path when the operator cancels or leaves the name empty.
std::optional<std::string> AskForPath(QWidget* parent, bool forWriting, FilePrompts* prompts) {
    FileNameDialog dialog(parent, forWriting, prompts);
    if (dialog.exec() != QDialog::Accepted || dialog.FileName().isEmpty())
        return std::nullopt;
    return HostPathFor(dialog.Drive().toStdString(), dialog.FileName().toStdString());
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
    return read ? *path : std::string();
}
