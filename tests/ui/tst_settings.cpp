// The settings search and its language setting; the catalogue lookup.
#include "settings/LanguageSetting.h"
#include "settings/TranslationFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kUnchanged = QStringLiteral("(unchanged)");

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray languageFile(const QByteArray &language)
{
    return "<Settings><Setting name=\"language\" value=\"" + language + "\"/></Settings>";
}

} // namespace

class SettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void languageSetting_data();
    void languageSetting();
    void settingsSearch_data();
    void settingsSearch();
    void translationFile_data();
    void translationFile();

private:
    // <root>/work is the working directory; programs live in
    // <root>/tree/build/<folder>, so <folder>/../.. is <root>/tree.
    QTemporaryDir m_root;
    QString m_previousDir;
};

void SettingsTest::init()
{
    QVERIFY(m_root.isValid());
    QDir(m_root.path()).mkpath("work");
    m_previousDir = QDir::currentPath();
    QDir::setCurrent(m_root.filePath("work"));
}

void SettingsTest::cleanup()
{
    QDir::setCurrent(m_previousDir);
    QDir(m_root.path()).removeRecursively();
    QDir().mkpath(m_root.path());
}

void SettingsTest::languageSetting_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("language");
    QTest::newRow("language setting") << languageFile("de_DE") << 0 << "de_DE";
    QTest::newRow("first of two language settings decides")
        << QByteArray("<S><Setting name='language' value='cs_CZ'/>"
                      "<Setting name='language' value='pl_PL'/></S>") << 0 << "cs_CZ";
    QTest::newRow("name differing in case is not taken")
        << QByteArray("<S><Setting name='Language' value='fr_FR'/></S>") << 0 << kUnchanged;
    QTest::newRow("no value attribute gives an empty language")
        << QByteArray("<S><Setting name='language'/></S>") << 0 << "";
    QTest::newRow("no language setting") << QByteArray("<S><Setting name='unit' value='mm'/></S>")
                                         << 0 << kUnchanged;
    QTest::newRow("first child of another name is skipped")
        << QByteArray("<S><Option name='language' value='fr_FR'/>"
                      "<Setting name='language' value='it_IT'/></S>") << 0 << "it_IT";
    QTest::newRow("settings between other elements are found")
        << QByteArray("<S><Setting name='unit'/><Other/><Setting name='language' value='ko_KR'/></S>")
        << 0 << "ko_KR";
    QTest::newRow("setting nested deeper is ignored")
        << QByteArray("<S><Group><Setting name='language' value='ja_JP'/></Group></S>") << 0
        << kUnchanged;
    QTest::newRow("not XML") << QByteArray("language=de_DE\n") << 1 << kUnchanged;
    QTest::newRow("unclosed element") << QByteArray("<S><Setting name='language' value='de_DE'>")
                                      << 1 << kUnchanged;
    QTest::newRow("empty file") << QByteArray() << 1 << kUnchanged;
}

void SettingsTest::languageSetting()
{
    QFETCH(QByteArray, content);
    QFETCH(int, result);
    QFETCH(QString, language);
    writeFile("Settings.vcui", content);
    QString read = kUnchanged;
    QCOMPARE(readLanguageSetting(read, m_root.filePath("tree/build/bin")), result);
    QCOMPARE(read, language);
}

void SettingsTest::settingsSearch_data()
{
    // Files to create (path relative to the root, language) and the folder
    // the program runs from.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("language");
    const QString installed = "tree/build/%1/Settings/4-Expert/Settings.vcui=fr_FR";
    const QString development = "tree/driver/Settings/4-Expert/Settings.vcui=es_ES";
    QTest::newRow("working directory wins, even without a language")
        << QStringList{"work/Settings.vcui=", installed.arg("Release"), development}
        << "Release" << 0 << kUnchanged;
    QTest::newRow("installed beside the program") << QStringList{installed.arg("bin")} << "bin"
                                                  << 0 << "fr_FR";
    QTest::newRow("installed folder without the file: no fallback")
        << QStringList{"tree/build/Release/Settings/readme=", development} << "Release" << 1
        << kUnchanged;
    for (const char *folder : {"Debug", "Debugx64", "Release", "Releasex64"})
        QTest::addRow("development tree from %s", folder) << QStringList{development} << folder
                                                          << 0 << "es_ES";
    QTest::newRow("folder name in other case: no fallback") << QStringList{development}
                                                            << "release" << 1 << kUnchanged;
    QTest::newRow("no settings anywhere") << QStringList() << "Debug" << 1 << kUnchanged;
}

void SettingsTest::settingsSearch()
{
    QFETCH(QStringList, files);
    QFETCH(QString, folder);
    QFETCH(int, result);
    QFETCH(QString, language);
    for (const QString &file : files) {
        const QString path = file.section('=', 0, 0);
        const QByteArray value = file.section('=', 1).toUtf8();
        writeFile(m_root.filePath(path), value.isEmpty() ? "<S/>" : languageFile(value));
    }
    const QString programDir = m_root.filePath("tree/build/" + folder);
    QDir().mkpath(programDir);
    QString read = kUnchanged;
    QCOMPARE(readLanguageSetting(read, programDir), result);
    QCOMPARE(read, language);
}

void SettingsTest::translationFile_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("path");    // relative to the root
    const QString installed = "tree/build/%1/languages/de_DE/varnel_de_DE.qm";
    const QString development = "tree/driver/languages/de_DE/varnel_de_DE.qm";
    QTest::newRow("installed catalogue") << "de_DE" << QStringList{installed.arg("bin")} << "bin"
                                         << 0 << installed.arg("bin");
    QTest::newRow("installed wins over development")
        << "de_DE" << QStringList{installed.arg("Debug"), development} << "Debug" << 0
        << installed.arg("Debug");
    QTest::newRow("development tree from Debugx64") << "de_DE" << QStringList{development}
                                                    << "Debugx64" << 0 << development;
    QTest::newRow("development tree from another folder") << "de_DE" << QStringList{development}
                                                          << "bin" << 1 << "";
    QTest::newRow("catalogue nowhere") << "zh_TW" << QStringList() << "Release" << 1 << "";
    QTest::newRow("French of Canada is not supported")
        << "fr_CA" << QStringList{"tree/build/bin/languages/fr_CA/varnel_fr_CA.qm"} << "bin" << 1
        << kUnchanged;
    QTest::newRow("capitals") << "ZH_CN" << QStringList() << "bin" << 1 << kUnchanged;
    QTest::newRow("empty language") << "" << QStringList() << "bin" << 1 << kUnchanged;
}

void SettingsTest::translationFile()
{
    QFETCH(QString, language);
    QFETCH(QStringList, files);
    QFETCH(QString, folder);
    QFETCH(int, result);
    QFETCH(QString, path);
    for (const QString &file : files)
        writeFile(m_root.filePath(file), "qm");
    const QString programDir = m_root.filePath("tree/build/" + folder);
    QDir().mkpath(programDir);
    QString found = kUnchanged;
    QCOMPARE(findTranslationFile(language, found, programDir), result);
    // A found path is absolute and clean: no "/../" steps left in it.
    QCOMPARE(found, path.isEmpty() || path == kUnchanged ? path : m_root.filePath(path));
}

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
