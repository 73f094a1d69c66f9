#pragma once

#include "image/parameter_image.h"
#include "operator/cursor.h"
#include "operator/file_prompts.h"
#include "operator/messages.h"

#include <string>

class QWidget;

// File > Write: asks for a name, writes the whole image as a parameter file. Returns the
// path of the file written, or the empty text.
std::string FileWriteCommand(ParameterImage& image, Messages& messages, CursorControl& cursor,
                             QWidget* parent, FilePrompts* prompts = nullptr);
// File > Read: asks for a name, loads a parameter file into the image. Returns the path
// of a file that was read, or the empty text.
std::string FileReadCommand(ParameterImage& image, Messages& messages, CursorControl& cursor,
                            QWidget* parent, FilePrompts* prompts = nullptr);
