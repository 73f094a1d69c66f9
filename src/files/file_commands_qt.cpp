#include "files/file_commands_qt.h"

// Placeholders until the parameter file commands land.
void FileWriteCommand(ParameterImage&, Messages&, CursorControl&, QWidget*) {}
void FileReadCommand(ParameterImage&, Messages&, CursorControl&, QWidget*) {}
