// Settings.vcui: where it is looked for, and how its language is read.
#include "settings/LanguageSetting.h"

#include "settings/BuildFolders.h"

#include "io/FileAccess.h"

#include <QCoreApplication>
#include <QDir>
#include <QDomDocument>
#include <QDomElement>
#include <QFile>

namespace {

// A settings file is a few lines; a FIFO or a device there must not stall the start.
constexpr qint64 kMaxSettingsBytes = qint64(1) << 20;

// Exactly one file is chosen; it is not searched for again if it fails.
QString chooseSettingsFile(const QString &programDir)
{
    const QString local = QStringLiteral("Settings.vcui");
    if (QFile::exists(local))
        return local;

    QString settingsDir = programDir + QStringLiteral("/Settings");
    if (!QDir(settingsDir).exists()) {
        settingsDir.clear();
        if (isBuildFolder(programDir)) {
            const QString development = programDir + QStringLiteral("/../../driver/Settings");
            if (QDir(development).exists())
                settingsDir = QDir::cleanPath(development);
        }
    }
    // An empty settings directory leaves a path at the root, which is
    // normally missing: the reader then fails like for any absent file.
    return settingsDir + QStringLiteral("/4-Expert/Settings.vcui");
}

} // namespace

int readLanguageSetting(QString &language)
{
    return readLanguageSetting(language, QCoreApplication::applicationDirPath());
}

int readLanguageSetting(QString &language, const QString &programDir)
{
    const io::ReadResult file = io::readRegularFile(chooseSettingsFile(programDir), kMaxSettingsBytes);
    QDomDocument document;
    if (!file.ok || !document.setContent(file.bytes))
        return 1;

    // The first child is taken whatever its name, so it has to be checked;
    // the walk itself only visits "Setting" siblings.
    const QString setting = QStringLiteral("Setting");
    for (QDomElement element = document.documentElement().firstChildElement();
         !element.isNull(); element = element.nextSiblingElement(setting)) {
        if (element.tagName() != setting)
            continue;
        if (element.attribute(QStringLiteral("name")) == QLatin1String("language")) {
            language = element.attribute(QStringLiteral("value"));
            break;
        }
    }
    return 0;
}
