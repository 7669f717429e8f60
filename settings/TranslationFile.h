// Which compiled catalogue belongs to a language, and the start-up sequence
// that installs it.
#pragma once

#include <QString>
#include <QStringList>

QT_BEGIN_NAMESPACE
class QTranslator;
QT_END_NAMESPACE

// The locale codes that have a catalogue, as "de_DE".
QStringList supportedLocales();

// Sets `qmPath` to the absolute path of the catalogue for `language` (one of
// supportedLocales(), letter case included) and returns 0
// when that file exists. Returns 1 and leaves `qmPath` unchanged for an
// unknown or empty language, and returns 1 with `qmPath` empty when the
// catalogue is missing.
int findTranslationFile(const QString &language, QString &qmPath);

// The same lookup with `programDir` standing for the program's directory.
int findTranslationFile(const QString &language, QString &qmPath, const QString &programDir);

// Reads the language setting, loads its catalogue into `translator` and
// installs it. Finding nothing is not an error: the texts stay English.
void installStartupTranslation(QTranslator &translator);
