// The catalogue of a language, beside the program or in a development tree.
#include "settings/TranslationFile.h"

#include "settings/BuildFolders.h"
#include "settings/LanguageSetting.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTranslator>

#include <algorithm>
#include <iterator>

namespace {

struct Catalogue
{
    const char *locale;
    const char *relativePath;
};

// Compared in this order; no other code is accepted.
constexpr Catalogue kCatalogues[] = {
    {"cs_CZ", "/cs_CZ/varnel_cs_CZ.qm"}, {"de_DE", "/de_DE/varnel_de_DE.qm"},
    {"en_US", "/en_US/varnel_en_US.qm"}, {"es_ES", "/es_ES/varnel_es_ES.qm"},
    {"fr_FR", "/fr_FR/varnel_fr_FR.qm"}, {"hu_HU", "/hu_HU/varnel_hu_HU.qm"},
    {"it_IT", "/it_IT/varnel_it_IT.qm"}, {"ja_JP", "/ja_JP/varnel_ja_JP.qm"},
    {"ko_KR", "/ko_KR/varnel_ko_KR.qm"}, {"pl_PL", "/pl_PL/varnel_pl_PL.qm"},
    {"pt_PT", "/pt_PT/varnel_pt_PT.qm"}, {"ru_RU", "/ru_RU/varnel_ru_RU.qm"},
    {"tr_TR", "/tr_TR/varnel_tr_TR.qm"}, {"zh_CN", "/zh_CN/varnel_zh_CN.qm"},
    {"zh_TW", "/zh_TW/varnel_zh_TW.qm"},
};

} // namespace

int findTranslationFile(const QString &language, QString &qmPath)
{
    return findTranslationFile(language, qmPath, QCoreApplication::applicationDirPath());
}

int findTranslationFile(const QString &language, QString &qmPath, const QString &programDir)
{
    if (language.isEmpty())
        return 1;
    const auto match = std::find_if(std::begin(kCatalogues), std::end(kCatalogues),
                                    [&language](const Catalogue &catalogue) {
                                        return QString::compare(
                                                   language, QLatin1String(catalogue.locale),
                                                   Qt::CaseSensitive)
                                               == 0;
                                    });
    if (match == std::end(kCatalogues))
        return 1;
    const QString relativePath = QLatin1String(match->relativePath);

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
