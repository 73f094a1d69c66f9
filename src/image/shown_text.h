#pragma once

#include <string>

// Text that came from a controller or from another person (a model code, a label, a note)
// as it may be shown on a terminal or in a list: control characters (C0, DEL and C1), and
// bytes that are not UTF-8, are shown escaped ("\x1B", "\x9B"), so no escape sequence
// reaches the terminal; every other character stays as it is.
std::string ShownText(const std::string& raw);
