// The interface language, read from the settings file Settings.vcui.
#pragma once

#include <QString>

// Finds the settings file (working directory first, then beside the program,
// then a development tree), parses it and sets `language` to the value of
// its first language setting. Returns 0 when a file was opened and parsed,
// even if it names no language (then `language` is left as it was), and 1
// when the file chosen cannot be read or is not well-formed XML.
int readLanguageSetting(QString &language);

// The same search with `programDir` standing for the program's directory.
int readLanguageSetting(QString &language, const QString &programDir);
