// The converter dialog (widget tree, focus chain, state, file choosers, Apply),
// where the language setting and its catalogue are looked for, and the
// catalogues: each translates every text, and German shows from start-up.
#include "ShxBuilder.h"
#include "TestFiles.h"
#include "settings/LanguageSetting.h"
#include "settings/TranslationFile.h"
#include "ui/Varnel.h"

#include <QTest>
#include <QtWidgets>

#include <functional>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace shxtest;

namespace {

// Answers the modal windows that appear while it lives, polling from a timer
// as the slots wait on them. The first window of type W goes to `handle`;
// any other modal window (a question nobody expected, or W again because the
// handler left it open) is closed and its title kept, so the test fails with
// it instead of waiting. It stops looking when destroyed, so what the handler
// captures is never used after the test that made it.
template<typename W>
class ModalAnswerer
{
public:
    template<typename Handler>
    explicit ModalAnswerer(Handler handle)
    {
        m_tick = [this, handle] {
            // The next look is due before the handler runs: a timer does not fire while
            // its own slot runs, so a window the handler opens would not be seen.
            arm();
            QWidget *window = QApplication::activeModalWidget();
            if (!window)
                return;
            auto *expected = qobject_cast<W *>(window);
            if (expected && !m_answered) {
                m_answered = true;
                handle(expected);
                return;
            }
            m_unexpected << window->windowTitle() + QStringLiteral(" (")
                                + QLatin1String(window->metaObject()->className()) + ')';
            if (auto *dialog = qobject_cast<QDialog *>(window))
                dialog->reject();
            else
                window->close();
        };
        arm();
    }

    bool answered() const { return m_answered; }
    // "" when only the expected window came, else the titles of the others.
    QString unexpected() const { return m_unexpected.join(QStringLiteral(", ")); }

private:
    // Destroying the context object cancels the look that is due.
    void arm() { QTimer::singleShot(5, &m_context, m_tick); }

    QObject m_context;
    std::function<void()> m_tick;
    bool m_answered = false;
    QStringList m_unexpected;
};

// Where an object sits: "gridLayout 0,1 1x2" (row, column, spans), "group_2 2" (form row)
// or "vboxLayout 1" (index).
QString placeOf(const QDialog &dialog, QObject *object)
{
    for (QLayout *layout : dialog.findChildren<QLayout *>()) {
        int row = object->isWidgetType() ? layout->indexOf(static_cast<QWidget *>(object))
                                         : layout->indexOf(static_cast<QLayout *>(object));
        const QString place = layout->objectName() + QStringLiteral(" %1");
        QFormLayout::ItemRole role;
        if (auto *grid = qobject_cast<QGridLayout *>(layout); grid && row >= 0) {
            int column, rows, columns;
            grid->getItemPosition(row, &row, &column, &rows, &columns);
            return place.arg(row) + QStringLiteral(",%1 %2x%3").arg(column).arg(rows).arg(columns);
        }
        if (auto *form = qobject_cast<QFormLayout *>(layout); form && row >= 0)
            form->getItemPosition(row, &row, &role);
        if (row >= 0)
            return place.arg(row);
    }
    return QString();
}

// Clicks Apply and returns what the message box showed: "Icon Title: text",
// followed by " unexpected: TITLES" when other modal windows came.
QString applyAndAnswer(Varnel &dialog)
{
    QString seen;
    ModalAnswerer<QMessageBox> answerer([&seen](QMessageBox *box) {
        const char *icon = QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon());
        seen = QStringLiteral("%1 %2: %3").arg(icon, box->windowTitle(), box->text());
        box->button(QMessageBox::Ok)->click();
    });
    dialog.findChild<QPushButton *>("applyButton")->click();
    if (!answerer.unexpected().isEmpty())
        seen += QStringLiteral(" unexpected: ") + answerer.unexpected();
    return seen;
}

} // namespace

class UiTest : public QObject
{
    Q_OBJECT

private slots:
    void widgetsStateAndTabChain()
    {
        const QStringList table = { // name, class, parent, place: text or title
            "groupBox QGroupBox VarnelClass vboxLayout 0: Convert SHX to FNT",
            "label_shx QLabel groupBox gridLayout 0,0 1x1: Input SHX file",
            "inShxFile QLineEdit groupBox gridLayout 0,1 1x2: ",
            "browseShx QPushButton groupBox gridLayout 0,3 1x1: Browse",
            "label_fnt QLabel groupBox gridLayout 1,0 1x1: Output FNT file",
            "outFntFile QLineEdit groupBox gridLayout 1,1 1x2: ",
            "browseFnt QPushButton groupBox gridLayout 1,3 1x1: Browse",
            "groupBox_2 QGroupBox VarnelClass vboxLayout 1: Options",
            "checkCodePage QCheckBox groupBox_2 group_2 0: "
            "Specify code page (only used for BigFont)",
            // Created without a parent: owned by the form, in its third row.
            "gridLayout_5 QGridLayout group_2 group_2 2: ",
            "label_code_page QLabel groupBox_2 gridLayout_5 1,0 1x1: Code Page",
            "codePage QComboBox groupBox_2 gridLayout_5 1,1 1x1: ",
            "applyButton QPushButton VarnelClass group_1 1: Apply",
            "cancelButton QPushButton VarnelClass group_1 2: Cancel",
        };
        Varnel dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(dialog.windowTitle(), "Font Converter");
        for (const QString &row : table) {
            QObject *object = dialog.findChild<QObject *>(row.section(' ', 0, 0));
            QVERIFY2(object, qPrintable(row));
            const char *text = object->inherits("QGroupBox") ? "title" : "text";
            QCOMPARE(QStringLiteral("%1 %2 %3 %4: %5")
                         .arg(object->objectName(), object->metaObject()->className(),
                              object->parent()->objectName(), placeOf(dialog, object),
                              object->property(text).toString()), row);
        }

        auto *box = dialog.findChild<QCheckBox *>("checkCodePage");
        auto *combo = dialog.findChild<QComboBox *>("codePage");
        QCOMPARE(combo->itemText(1) + ' ' + combo->itemText(3) + ' ' + combo->itemText(4),
                 "EUC_KR GBC Shift-JIS");    // 0 and 2 are checked with the German catalogue
        QVERIFY(combo->currentIndex() == 0 && !combo->isEnabled() && !box->isChecked());
        box->setChecked(true);
        QVERIFY(combo->isEnabled());
        // Focus starts in the input field; the combo is in the chain once enabled.
        QStringList chain;
        for (int i = 0; i < 9; ++i, QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab))
            chain << QApplication::focusWidget()->objectName();
        QCOMPARE(chain.join(' '), "inShxFile browseShx outFntFile browseFnt cancelButton codePage "
                                  "checkCodePage applyButton inShxFile");
        box->setChecked(false);
        QVERIFY(!combo->isEnabled());
    }

    void apply()
    {
        // A440 is U+4E00 in Big5, 889F is U+4E9C in Shift-JIS; SHX code 0: no input file.
        using Case = std::tuple<const char *, bool, int, int, int>;
        for (const auto &[fnt, checked, index, shxCode, fntCode] :
             {Case{"out.fnt", false, 0, 0, 0}, Case{"out.txt", false, 0, 0xA440, 0},
              Case{"out.fnt", false, 2, 0xA440, 0xA440},    // unchecked: the combo is ignored
              Case{"out.fnt", true, 2, 0xA440, 0x4E00}, Case{"out.fnt", true, 4, 0x889F, 0x4E9C}}) {
            QTemporaryDir dir;
            const QString shx = dir.filePath("in.shx");
            // A big font without escape ranges: its code is kept unless a code page is chosen.
            const auto glyph = definition("g", ShapeCode());
            QVERIFY(!shxCode || writeFile(shx, bigfont({}, {{quint16(shxCode), glyph}})));
            Varnel dialog;
            dialog.findChild<QComboBox *>("codePage")->setCurrentIndex(index);
            dialog.findChild<QCheckBox *>("checkCodePage")->setChecked(checked);
            dialog.findChild<QLineEdit *>("inShxFile")->setText(shx);
            dialog.findChild<QLineEdit *>("outFntFile")->setText(dir.filePath(fnt));
            const QString box = fntCode ? "Information Information: Converted successfully"
                                        : QStringLiteral("Critical Warning: Failed to %1 file")
                                              .arg(shxCode ? "write FNT" : "read SHX");
            QCOMPARE(applyAndAnswer(dialog), box);
            // Only a conversion leaves a file. After its 36-byte name and five words: glyph
            // count 1, range count 1, then the first code of the only range, big-endian.
            QFile out(dir.filePath("out.fnt"));
            const QString code = QStringLiteral("00010001%1").arg(fntCode, 4, 16, QChar('0'));
            QCOMPARE(out.open(QIODevice::ReadOnly) ? out.readAll().mid(46, 6).toHex() : "",
                     fntCode ? code.toLatin1() : "");
        }
    }

    void fileDialogsShareLastDirectory()
    {
        Varnel dialog;
        // Opens a chooser with `button` and picks `choice`, or cancels when it is
        // empty; returns the caption, first filter, suggested file and directory.
        const auto browse = [&dialog](const char *button, const QString &choice = QString()) {
            QString seen;
            ModalAnswerer<QFileDialog> answerer([&seen, choice](QFileDialog *chooser) {
                seen = QStringList{chooser->windowTitle(), chooser->nameFilters().value(0),
                                   chooser->selectedFiles().value(0),
                                   chooser->directory().absolutePath()}.join('|');
                // selectFile() leaves the name field alone while it has the focus, which
                // it gets at a moment of its own, and rows the views selected meanwhile
                // (a sub-folder) would win over the typed name: both are set by hand.
                chooser->selectFile(choice);
                chooser->findChild<QLineEdit *>("fileNameEdit")->setText(choice);
                for (auto *view : chooser->findChildren<QAbstractItemView *>())
                    view->selectionModel()->clear();
                // accept() is protected in QFileDialog.
                choice.isEmpty() ? chooser->reject() : static_cast<QDialog *>(chooser)->accept();
            });
            dialog.findChild<QPushButton *>(button)->click();
            if (!answerer.unexpected().isEmpty())
                seen += QStringLiteral(" unexpected: ") + answerer.unexpected();
            return seen;
        };
        // Nothing chosen yet: the FNT chooser suggests a file at the root.
        QCOMPARE(browse("browseFnt"), "Save FNT file|FNT (*.fnt)|/_font40.fnt|/");
        QTemporaryDir dir;
        const QString shx = dir.filePath("a.shx"), fnt = dir.filePath("out/b.fnt");
        QVERIFY(writeFile(shx, "") && QDir().mkpath(dir.filePath("out")));
        const QString chosen = browse("browseShx", shx);
        QVERIFY2(chosen.startsWith("Choose SHX file|SHX (*.SHX; *.shx)|"), qPrintable(chosen));
        QCOMPARE(dialog.findChild<QLineEdit *>("inShxFile")->text(), shx);
        // Cancelled: the directory is kept, the text never derived from the input.
        QVERIFY(browse("browseFnt").contains(dir.filePath("_font40.fnt")));
        QCOMPARE(dialog.findChild<QLineEdit *>("outFntFile")->text(), QString());
        browse("browseFnt", fnt);
        QCOMPARE(dialog.findChild<QLineEdit *>("outFntFile")->text(), fnt);
        // A file that exists brings a question before it is replaced. Nobody expects it here:
        // it and then the chooser are closed and named, and nothing is chosen or awaited.
        const QString existing = dir.filePath("out/c.fnt");
        QVERIFY(writeFile(existing, "old"));
        const QString asked = browse("browseFnt", existing);
        QVERIFY2(asked.endsWith(" unexpected: Save FNT file (QMessageBox), Save FNT file "
                                "(QFileDialog)"), qPrintable(asked));
        QCOMPARE(dialog.findChild<QLineEdit *>("outFntFile")->text(), fnt);
        QVERIFY(browse("browseShx").endsWith('|' + dir.filePath("out")));
    }

    void languages()
    {
        // "path=content" files under the root, the folder under tree/build/ the program runs
        // from, the language whose catalogue is looked for (none: the language setting is read)
        // and "<result> <what was found>".
        const QString local = "work/Settings.vcui=", development = "tree/driver/Settings/4-Expert/"
            "Settings.vcui=", installed = "tree/build/%1/Settings/4-Expert/Settings.vcui=";
        const QString es = "<S><Setting name='language' value='es'/></S>";
        const QString fr = "<S><Setting name='language' value='fr'/></S>";
        const QString deQm = "tree/%1/languages/de_DE/varnel_de_DE.qm";
        const QList<std::tuple<QStringList, QString, QString, QString>> cases = {
            // The working directory first, even without a language; then beside the program.
            {{local + "<S/>", installed.arg("bin") + fr, development + es}, "bin", "", "0 -"},
            {{installed.arg("Debug") + fr, development + es}, "Debug", "", "0 fr"},
            // No fallback when the installed folder lacks the file; else the development tree.
            {{"tree/build/Release/Settings/readme=", development + es}, "Release", "", "1 -"},
            {{development + es}, "Debugx64", "", "0 es"},
            // A first child of another name and a name in other case are passed over,
            // settings among other elements are found, and the first of two decides.
            {{local + "<S><Option name='language' value='fr'/><Setting name='Language' "
                      "value='de'/><X/><Setting name='language' value='cs'/><Setting "
                      "name='language' value='pl'/></S>"}, "bin", "", "0 cs"},
            {{local + "<S>"}, "bin", "", "1 -"},    // not XML
            // Catalogues: installed first, then the development tree; a clean absolute path.
            {{deQm.arg("build/Debug"), deQm.arg("driver")}, "Debug", "de_DE",
             "0 <root>/" + deQm.arg("build/Debug")},
            {{deQm.arg("driver")}, "Debugx64", "de_DE", "0 <root>/" + deQm.arg("driver")},
            {{"tree/build/bin/languages/fr_CA/varnel_fr_CA.qm"}, "bin", "fr_CA", "1 -"},
        };
        for (const auto &[files, folder, language, found] : cases) {
            QTemporaryDir root;
            const QString dir = root.filePath("tree/build/" + folder);
            QVERIFY(QDir().mkpath(dir) && QDir().mkpath(root.filePath("work")));
            for (const QString &f : files)
                QVERIFY(writeFile(root.filePath(f.section('=', 0, 0)), f.section('=', 1).toUtf8()));
            QDir::setCurrent(root.filePath("work"));    // nothing later depends on it
            QString value = "-";
            const int result = language.isEmpty() ? readLanguageSetting(value, dir)
                                                  : findTranslationFile(language, value, dir);
            QCOMPARE(QString::number(result) + ' ' + value.replace(root.path(), "<root>"), found);
        }
#ifndef Q_OS_WIN
        // A FIFO in place of the settings file is passed over, never waited on.
        QTemporaryDir fifo;
        QVERIFY(::mkfifo(QFile::encodeName(fifo.filePath("Settings.vcui")).constData(), 0600) == 0);
        QDir::setCurrent(fifo.path());
        QString value = "-";
        QCOMPARE(readLanguageSetting(value, fifo.path()), 1);
#endif

        // Every catalogue translates every text the program shows.
        const QStringList texts = {
            "QObject/Warning", "QObject/Information", "QObject/Failed to read SHX file",
            "QObject/Failed to write FNT file", "QObject/Converted successfully",
            "Varnel/Choose SHX file", "Varnel/Save FNT file", "VarnelClass/Font Converter",
            "VarnelClass/Convert SHX to FNT", "VarnelClass/Output FNT file",
            "VarnelClass/Input SHX file", "VarnelClass/Browse", "VarnelClass/Options",
            "VarnelClass/Code Page", "VarnelClass/Unicode (default)", "VarnelClass/Apply",
            "VarnelClass/Specify code page (only used for BigFont)", "VarnelClass/Cancel"};
        // Every folder of catalogue sources is a language the program offers.
        QCOMPARE(supportedLocales(),
                 QDir(VARNEL_LANGUAGES_DIR).entryList(QDir::Dirs | QDir::NoDotAndDotDot));
        for (const QString &locale : supportedLocales()) {
            QString qm;
            QTranslator catalogue;
            QVERIFY2(findTranslationFile(locale, qm) == 0 && catalogue.load(qm), qPrintable(qm));
            for (const QString &text : texts) {
                const QStringList parts = text.split('/');
                const QString translation =
                    catalogue.translate(qPrintable(parts[0]), qPrintable(parts[1]));
                QVERIFY2(!translation.trimmed().isEmpty(), qPrintable(locale + ": " + text));
            }
        }

        // Installed at start-up from the working directory's settings, before the dialog.
        QTemporaryDir work;
        QVERIFY(writeFile(work.filePath("Settings.vcui"),
                          "<VCUI><Setting name=\"language\" value=\"de_DE\"/></VCUI>"));
        QDir::setCurrent(work.path());
        QTranslator translator;    // removed again when destroyed
        installStartupTranslation(translator);
        Varnel dialog;
        auto *combo = dialog.findChild<QComboBox *>("codePage");
        // Code page names are never translated.
        QCOMPARE(QStringList({dialog.windowTitle(), combo->itemText(0), combo->itemText(2),
                              applyAndAnswer(dialog)}),
                 QStringList({"Schriftkonverter", "Unicode (Standard)", "Big5",
                              "Critical Warnung: Die SHX-Datei konnte nicht gelesen werden"}));
    }
};

// The file dialogs keep their history in the user's configuration. The test
// gives them a home of its own, fresh each run, so it never writes the
// user's files and every run is a first run on a new machine.
int main(int argc, char *argv[])
{
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", QDir(home.path()).filePath(".config").toLocal8Bit());
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    UiTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    const int failures = QTest::qExec(&test, argc, argv);
    // What the dialogs remembered went to the test's home.
    const QString settings = QSettings(QSettings::UserScope, "QtProject").fileName();
    if (!settings.startsWith(home.path())) {
        qCritical("the file dialogs' settings went to %s", qPrintable(settings));
        return failures + 1;
    }
    return failures;
}
#include "tst_ui.moc"
