#pragma once

#include <string>

// The fixed help texts of the editors' mnemonic buttons, one table shared by the dialogs and
// the parameter report. A parameter is found by its button label ("A01F", "DVDV", "KnL") or
// by its record mnemonic ("AO1F", "DV-D", "KNL"); the texts are the buttons' own, byte for
// byte.
struct HelpTextEntry {
    const char* mnemonic; // record mnemonic, as the parameter listing names it
    const char* label;    // the button's label in its dialog
    const char* text;
};

// The help text of a parameter; the empty text for a parameter that has none.
std::string HelpText(const std::string& mnemonicOrLabel);
