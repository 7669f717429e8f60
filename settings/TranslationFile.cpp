// The catalogue of a language, beside the program or in a development tree.
#include "settings/TranslationFile.h"

#include "settings/BuildFolders.h"
#include "settings/LanguageSetting.h"
#include "settings/Locales.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTranslator>

QStringList supportedLocales()
{
    QStringList locales;
    for (const char *locale : kLocales)
        locales << QLatin1String(locale);
    return locales;
}

int findTranslationFile(const QString &language, QString &qmPath)
{
    return findTranslationFile(language, qmPath, QCoreApplication::applicationDirPath());
}

int findTranslationFile(const QString &language, QString &qmPath, const QString &programDir)
{
    // Letter case included; no other code is accepted.
    if (language.isEmpty() || !supportedLocales().contains(language, Qt::CaseSensitive))
        return 1;
    const QString relativePath = QStringLiteral("/%1/varnel_%1.qm").arg(language);

    qmPath = programDir + QStringLiteral("/languages") + relativePath;
    if (QFile::exists(qmPath))
        return 0;

    // Only the file is tested, not the development directory itself.
    qmPath.clear();
    if (isBuildFolder(programDir))
        qmPath = QDir::cleanPath(programDir + QStringLiteral("/../../driver/languages"))
                 + relativePath;
    if (!qmPath.isEmpty() && QFile::exists(qmPath))
        return 0;
    qmPath.clear();
    return 1;
}

void installStartupTranslation(QTranslator &translator)
{
    QString language;
    if (readLanguageSetting(language) != 0)
        return;
    QString qmPath;
    if (findTranslationFile(language, qmPath) != 0)
        return;
    // Installed even when loading fails: an empty translator changes nothing.
    (void)translator.load(qmPath, QString(), QString(), QString());
    QCoreApplication::installTranslator(&translator);
}
