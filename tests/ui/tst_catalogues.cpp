// The fifteen catalogues: complete in their sources, compiled beside the
// program, and installed at start-up before the dialog is built.
#include "ModalHandler.h"
#include "settings/TranslationFile.h"
#include "ui/Varnel.h"

#include <QComboBox>
#include <QDomDocument>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

namespace {

// Every text the program translates, by context.
const QMap<QString, QStringList> kSourceTexts = {
    {"VarnelClass",
     {"Font Converter", "Convert SHX to FNT", "Output FNT file", "Input SHX file", "Browse",
      "Options", "Code Page", "Unicode (default)", "Specify code page (only used for BigFont)",
      "Apply", "Cancel"}},
    {"Varnel", {"Choose SHX file", "Save FNT file"}},
    {"QObject",
     {"Warning", "Information", "Failed to read SHX file", "Failed to write FNT file",
      "Converted successfully"}},
};

const QStringList kLocales = {"cs_CZ", "de_DE", "en_US", "es_ES", "fr_FR",
                              "hu_HU", "it_IT", "ja_JP", "ko_KR", "pl_PL",
                              "pt_PT", "ru_RU", "tr_TR", "zh_CN", "zh_TW"};

} // namespace

class CataloguesTest : public QObject
{
    Q_OBJECT

private slots:
    void everyTextTranslated_data();
    void everyTextTranslated();
    void startupTranslation_data();
    void startupTranslation();
};

void CataloguesTest::everyTextTranslated_data()
{
    QTest::addColumn<QString>("locale");
    for (const QString &locale : kLocales)
        QTest::newRow(qPrintable(locale)) << locale;
}

void CataloguesTest::everyTextTranslated()
{
    QFETCH(QString, locale);
    QFile source(QStringLiteral(VARNEL_LANGUAGES_SOURCE "/%1/varnel_%1.ts").arg(locale));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QDomDocument ts;
    QVERIFY(ts.setContent(&source));
    QCOMPARE(ts.documentElement().attribute("language"), locale);

    QTranslator compiled;
    const QString qm = QCoreApplication::applicationDirPath()
                       + QStringLiteral("/languages/%1/varnel_%1.qm").arg(locale);
    QVERIFY2(compiled.load(qm), qPrintable(qm));

    QMap<QString, QStringList> found;
    const QDomNodeList messages = ts.elementsByTagName("message");
    for (int i = 0; i < messages.size(); ++i) {
        const QDomElement message = messages.at(i).toElement();
        const QString context = message.parentNode().firstChildElement("name").text();
        const QString text = message.firstChildElement("source").text();
        const QDomElement translation = message.firstChildElement("translation");
        // "unfinished", "vanished" and "obsolete" all mean not done.
        QVERIFY2(!translation.hasAttribute("type"), qPrintable(text));
        QVERIFY2(!translation.text().trimmed().isEmpty(), qPrintable(text));
        QCOMPARE(compiled.translate(context.toUtf8(), text.toUtf8()), translation.text());
        found[context] << text;
    }
    for (auto it = kSourceTexts.begin(); it != kSourceTexts.end(); ++it) {
        QStringList texts = found.value(it.key());
        QStringList expected = it.value();
        texts.sort();
        expected.sort();
        QCOMPARE(texts, expected);
    }
    QCOMPARE(found.size(), kSourceTexts.size());
}

void CataloguesTest::startupTranslation_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QStringList>("texts");    // title, Apply, item 0, chooser, box title, box text
    const auto language = [](const char *code) {
        return QByteArray("<VCUI><Setting name=\"language\" value=\"") + code + "\"/></VCUI>";
    };
    const QStringList english = {"Font Converter", "Apply", "Unicode (default)",
                                 "Choose SHX file", "Warning", "Failed to read SHX file"};
    QTest::newRow("German") << language("de_DE")
                            << QStringList{"Schriftkonverter", "Anwenden", "Unicode (Standard)",
                                           "SHX-Datei auswählen", "Warnung",
                                           "Die SHX-Datei konnte nicht gelesen werden"};
    QTest::newRow("Japanese") << language("ja_JP")
                              << QStringList{"フォント コンバーター", "適用", "Unicode (既定)",
                                             "SHX ファイルの選択", "警告",
                                             "SHX ファイルを読み込めませんでした"};
    QTest::newRow("English") << language("en_US") << english;
    QTest::newRow("language without catalogue") << language("de_AT") << english;
    QTest::newRow("settings not XML") << QByteArray("de_DE") << english;
}

void CataloguesTest::startupTranslation()
{
    QFETCH(QByteArray, settings);
    QFETCH(QStringList, texts);
    QTemporaryDir work;
    QFile file(work.filePath("Settings.vcui"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(settings);
    file.close();
    const QString previousDir = QDir::currentPath();
    QDir::setCurrent(work.path());

    QStringList seen;
    {
        QTranslator translator;
        installStartupTranslation(translator);
        Varnel dialog;
        auto *combo = dialog.findChild<QComboBox *>("codePage");
        seen << dialog.windowTitle() << dialog.findChild<QPushButton *>("applyButton")->text()
             << combo->itemText(0);
        // Code page names are never translated.
        QCOMPARE(combo->itemText(2), QString("Big5"));
        QCOMPARE(combo->itemText(4), QString("Shift-JIS"));

        whenModal<QFileDialog>([&seen](QFileDialog *chooser) {
            seen << chooser->windowTitle();
            chooser->reject();
        });
        dialog.findChild<QPushButton *>("browseShx")->click();
        whenModal<QMessageBox>([&seen](QMessageBox *box) {
            seen << box->windowTitle() << box->text();
            box->accept();
        });
        dialog.findChild<QPushButton *>("applyButton")->click();
        QCoreApplication::removeTranslator(&translator);
    }
    QDir::setCurrent(previousDir);
    QCOMPARE(seen, texts);
}

QTEST_MAIN(CataloguesTest)
#include "tst_catalogues.moc"
