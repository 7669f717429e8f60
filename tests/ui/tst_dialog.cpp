// The converter dialog: its widget tree, focus chain, state and actions.
#include "ModalHandler.h"
#include "ShxBuilder.h"
#include "ui/Varnel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Where an object sits in the dialog's layouts, as in the widget table:
// "gridLayout 0,1 1x2", "group_2 2 field", "vboxLayout 1 stretch 0".
QString placeOf(const QDialog &dialog, const QObject *object)
{
    for (QLayout *layout : dialog.findChildren<QLayout *>()) {
        for (int i = 0; i < layout->count(); ++i) {
            QLayoutItem *item = layout->itemAt(i);
            if (item->widget() != object && item->layout() != object)
                continue;
            const QString name = layout->objectName();
            if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
                int row, column, rows, columns;
                grid->getItemPosition(i, &row, &column, &rows, &columns);
                return QStringLiteral("%1 %2,%3 %4x%5").arg(name).arg(row).arg(column).arg(rows).arg(columns);
            }
            if (auto *form = qobject_cast<QFormLayout *>(layout)) {
                int row;
                QFormLayout::ItemRole role;
                form->getItemPosition(i, &row, &role);
                return QStringLiteral("%1 %2 %3").arg(name).arg(row).arg(
                    role == QFormLayout::FieldRole ? "field" : "other");
            }
            auto *box = qobject_cast<QBoxLayout *>(layout);
            return QStringLiteral("%1 %2 stretch %3").arg(name).arg(i).arg(box->stretch(i));
        }
    }
    return QString();
}

QStringList namedChildren(const QObject *parent)
{
    QStringList names;
    for (const QObject *child : parent->children())
        if (!child->objectName().isEmpty() && !child->objectName().startsWith("qt_"))
            names << child->objectName();
    return names;
}

// A big font with one empty shape, no escape ranges: its code reaches the
// FNT file unchanged unless a code page is chosen.
QByteArray bigfontWithCode(quint16 code)
{
    return shxtest::bigfont({}, {{code, shxtest::definition("g", shxtest::ShapeCode())}});
}

struct Box
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title, text;
    bool hasParent = true;
};

// Clicks Apply and answers the message box it opens.
Box applyAndAnswer(Varnel &dialog)
{
    Box seen;
    whenModal<QMessageBox>([&seen](QMessageBox *box) {
        seen = {box->icon(), box->windowTitle(), box->text(), box->parentWidget() != nullptr};
        box->button(QMessageBox::Ok)->click();
    });
    dialog.findChild<QPushButton *>("applyButton")->click();
    return seen;
}

} // namespace

class DialogTest : public QObject
{
    Q_OBJECT

private slots:
    void widgetTree_data();
    void widgetTree();
    void creationOrder();
    void formProperties();
    void texts_data();
    void texts();
    void initialStateAndCodePageSwitch();
    void tabChain();
    void applyPassesCodePageChoice_data();
    void applyPassesCodePageChoice();
    void messageBoxes_data();
    void messageBoxes();
    void fileDialogsShareLastDirectory();

private:
    QTemporaryDir m_dir;
};

void DialogTest::widgetTree_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QString>("place");
    QTest::newRow("vboxLayout") << "QVBoxLayout" << "VarnelClass" << "";
    QTest::newRow("groupBox") << "QGroupBox" << "VarnelClass" << "vboxLayout 0 stretch 0";
    QTest::newRow("gridLayout") << "QGridLayout" << "groupBox" << "";
    QTest::newRow("label_fnt") << "QLabel" << "groupBox" << "gridLayout 1,0 1x1";
    QTest::newRow("inShxFile") << "QLineEdit" << "groupBox" << "gridLayout 0,1 1x2";
    QTest::newRow("outFntFile") << "QLineEdit" << "groupBox" << "gridLayout 1,1 1x2";
    QTest::newRow("label_shx") << "QLabel" << "groupBox" << "gridLayout 0,0 1x1";
    QTest::newRow("browseFnt") << "QPushButton" << "groupBox" << "gridLayout 1,3 1x1";
    QTest::newRow("browseShx") << "QPushButton" << "groupBox" << "gridLayout 0,3 1x1";
    QTest::newRow("groupBox_2") << "QGroupBox" << "VarnelClass" << "vboxLayout 1 stretch 0";
    QTest::newRow("group_2") << "QFormLayout" << "groupBox_2" << "";
    // Created without a parent: owned by the layout it is put into.
    QTest::newRow("gridLayout_5") << "QGridLayout" << "group_2" << "group_2 2 field";
    QTest::newRow("label_code_page") << "QLabel" << "groupBox_2" << "gridLayout_5 1,0 1x1";
    QTest::newRow("codePage") << "QComboBox" << "groupBox_2" << "gridLayout_5 1,1 1x1";
    QTest::newRow("checkCodePage") << "QCheckBox" << "groupBox_2" << "group_2 0 field";
    QTest::newRow("group_1") << "QHBoxLayout" << "vboxLayout" << "vboxLayout 2 stretch 0";
    QTest::newRow("applyButton") << "QPushButton" << "VarnelClass" << "group_1 1 stretch 0";
    QTest::newRow("cancelButton") << "QPushButton" << "VarnelClass" << "group_1 2 stretch 0";
}

void DialogTest::widgetTree()
{
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    QFETCH(QString, place);
    Varnel dialog;
    const QObject *object = dialog.findChild<QObject *>(QTest::currentDataTag());
    QVERIFY(object);
    QCOMPARE(object->metaObject()->className(), className);
    QCOMPARE(object->parent()->objectName(), parentName);
    QCOMPARE(placeOf(dialog, object), place);
}

void DialogTest::creationOrder()
{
    // The FNT row is created before the SHX row; Qt keeps children in the
    // order they were given their parent.
    Varnel dialog;
    QCOMPARE(namedChildren(&dialog), QStringList({"vboxLayout", "groupBox", "groupBox_2",
                                                  "applyButton", "cancelButton"}));
    QCOMPARE(namedChildren(dialog.findChild<QGroupBox *>("groupBox")),
             QStringList({"gridLayout", "label_fnt", "inShxFile", "outFntFile", "label_shx",
                          "browseFnt", "browseShx"}));
    QCOMPARE(namedChildren(dialog.findChild<QGroupBox *>("groupBox_2")),
             QStringList({"group_2", "label_code_page", "codePage", "checkCodePage"}));
}

void DialogTest::formProperties()
{
    Varnel dialog;
    QCOMPARE(dialog.metaObject()->className(), "Varnel");
    QCOMPARE(dialog.objectName(), QString("VarnelClass"));
    QCOMPARE(dialog.size(), QSize(464, 210));
    QVERIFY(dialog.isModal());
    QVERIFY(!dialog.isSizeGripEnabled());
    QCOMPARE(dialog.layout()->objectName(), QString("vboxLayout"));

    const auto margins = [&dialog](const char *name) {
        auto *layout = dialog.findChild<QLayout *>(name);
        return std::make_pair(layout->contentsMargins(), layout->spacing());
    };
    QCOMPARE(margins("vboxLayout"), std::make_pair(QMargins(8, 8, 8, 8), 6));
    QCOMPARE(margins("gridLayout"), std::make_pair(QMargins(8, 8, 8, 8), 6));
    QCOMPARE(margins("group_1"), std::make_pair(QMargins(0, 0, 0, 0), 6));
    QCOMPARE(dialog.findChild<QLayout *>("gridLayout_5")->spacing(), 0);

    auto *form = dialog.findChild<QFormLayout *>("group_2");
    QCOMPARE(form->contentsMargins(), QMargins(3, 3, 6, 3));
    QCOMPARE(form->horizontalSpacing(), 3);
    QCOMPARE(form->verticalSpacing(), 3);
    QCOMPARE(form->fieldGrowthPolicy(), QFormLayout::AllNonFixedFieldsGrow);
    QCOMPARE(form->rowCount(), 3);    // row 1 stays empty
    auto *inner = dialog.findChild<QGridLayout *>("gridLayout_5");
    QCOMPARE(inner->columnStretch(0), 1);
    QCOMPARE(inner->columnStretch(1), 3);

    QSpacerItem *spacer = dialog.findChild<QLayout *>("group_1")->itemAt(0)->spacerItem();
    QVERIFY(spacer);
    QCOMPARE(spacer->sizeHint(), QSize(131, 31));
    QCOMPARE(spacer->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(spacer->sizePolicy().verticalPolicy(), QSizePolicy::Minimum);

    QCOMPARE(dialog.findChild<QLineEdit *>("outFntFile")->focusPolicy(), Qt::StrongFocus);
    QVERIFY(dialog.findChild<QPushButton *>("browseShx")->isDefault());
    QVERIFY(!dialog.findChild<QPushButton *>("applyButton")->isDefault());

    // The slots in the order the meta-object dispatches them.
    const QMetaObject *meta = dialog.metaObject();
    QStringList methods;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        methods << method.methodSignature()
                       + (method.access() == QMetaMethod::Public ? " public" : " private");
    }
    QCOMPARE(methods, QStringList({"applyConvert() public", "enableCodePage() public",
                                 "selectShx() private", "selectFnt() private"}));
}

void DialogTest::texts_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("text");
    QTest::newRow("window title") << "VarnelClass" << QByteArray("windowTitle") << "Font Converter";
    QTest::newRow("upper box") << "groupBox" << QByteArray("title") << "Convert SHX to FNT";
    QTest::newRow("output label") << "label_fnt" << QByteArray("text") << "Output FNT file";
    QTest::newRow("input label") << "label_shx" << QByteArray("text") << "Input SHX file";
    QTest::newRow("FNT browse") << "browseFnt" << QByteArray("text") << "Browse";
    QTest::newRow("SHX browse") << "browseShx" << QByteArray("text") << "Browse";
    QTest::newRow("lower box") << "groupBox_2" << QByteArray("title") << "Options";
    QTest::newRow("code page label") << "label_code_page" << QByteArray("text") << "Code Page";
    QTest::newRow("check box") << "checkCodePage" << QByteArray("text")
                               << "Specify code page (only used for BigFont)";
    QTest::newRow("check box has no tool tip") << "checkCodePage" << QByteArray("toolTip") << "";
    QTest::newRow("apply") << "applyButton" << QByteArray("text") << "Apply";
    QTest::newRow("cancel") << "cancelButton" << QByteArray("text") << "Cancel";
    QTest::newRow("line edits start empty") << "inShxFile" << QByteArray("text") << "";
}

void DialogTest::texts()
{
    QFETCH(QString, objectName);
    QFETCH(QByteArray, property);
    QFETCH(QString, text);
    Varnel dialog;
    QObject *object = objectName == dialog.objectName() ? &dialog : dialog.findChild<QObject *>(objectName);
    QCOMPARE(object->property(property.constData()).toString(), text);
}

void DialogTest::initialStateAndCodePageSwitch()
{
    Varnel dialog;
    auto *box = dialog.findChild<QCheckBox *>("checkCodePage");
    auto *combo = dialog.findChild<QComboBox *>("codePage");
    QCOMPARE(dialog.focusWidget(), dialog.findChild<QWidget *>("inShxFile"));
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    QCOMPARE(items, QStringList({"Unicode (default)", "EUC_KR", "Big5", "GBC", "Shift-JIS"}));
    QCOMPARE(combo->currentIndex(), 0);
    QVERIFY(!combo->isEnabled());
    QVERIFY(!box->isChecked());

    box->setChecked(true);
    QVERIFY(combo->isEnabled());
    combo->setCurrentIndex(3);
    box->setChecked(false);
    QVERIFY(!combo->isEnabled());
    QCOMPARE(combo->currentIndex(), 3);    // the choice survives switching off
}

void DialogTest::tabChain()
{
    Varnel dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const auto walk = [&dialog] {
        QStringList names{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            names << QApplication::focusWidget()->objectName();
        }
        return names;
    };
    // The disabled combo is skipped until the box is checked.
    QCOMPARE(walk(), QStringList({"inShxFile", "browseShx", "outFntFile", "browseFnt",
                                  "cancelButton", "checkCodePage", "applyButton", "inShxFile",
                                  "browseShx"}));
    dialog.findChild<QCheckBox *>("checkCodePage")->setChecked(true);
    dialog.findChild<QLineEdit *>("inShxFile")->setFocus();
    QCOMPARE(walk(), QStringList({"inShxFile", "browseShx", "outFntFile", "browseFnt",
                                  "cancelButton", "codePage", "checkCodePage", "applyButton",
                                  "inShxFile"}));

    // Enter in a line edit presses the default button: the SHX chooser.
    QString opened;
    whenModal<QFileDialog>([&opened](QFileDialog *chooser) {
        opened = chooser->windowTitle();
        chooser->reject();
    });
    QTest::keyClick(dialog.findChild<QLineEdit *>("outFntFile"), Qt::Key_Return);
    QCOMPARE(opened, QString("Choose SHX file"));
    QVERIFY(dialog.isVisible());
}

void DialogTest::applyPassesCodePageChoice_data()
{
    QTest::addColumn<bool>("checked");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("shxCode");
    QTest::addColumn<int>("fntCode");
    // Characters whose code page values are well known: B0A1 is the first
    // hangul syllable U+AC00 in EUC_KR and U+554A in GB2312, A440 is U+4E00
    // in Big5, 889F is U+4E9C in Shift-JIS.
    QTest::newRow("box unchecked, combo showing Big5: detected, no code page")
        << false << 2 << 0xA440 << 0xA440;
    QTest::newRow("box checked, Unicode (default)") << true << 0 << 0xA440 << 0xA440;
    QTest::newRow("box checked, EUC_KR") << true << 1 << 0xB0A1 << 0xAC00;
    QTest::newRow("box checked, Big5") << true << 2 << 0xA440 << 0x4E00;
    QTest::newRow("box checked, GBC") << true << 3 << 0xB0A1 << 0x554A;
    QTest::newRow("box checked, Shift-JIS") << true << 4 << 0x889F << 0x4E9C;
}

void DialogTest::applyPassesCodePageChoice()
{
    QFETCH(bool, checked);
    QFETCH(int, index);
    QFETCH(int, shxCode);
    QFETCH(int, fntCode);
    const QString shx = m_dir.filePath("big.shx");
    const QString fnt = m_dir.filePath("big.fnt");
    QFile file(shx);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bigfontWithCode(quint16(shxCode)));
    file.close();
    QFile::remove(fnt);

    Varnel dialog;
    dialog.findChild<QComboBox *>("codePage")->setCurrentIndex(index);
    dialog.findChild<QCheckBox *>("checkCodePage")->setChecked(checked);
    dialog.findChild<QLineEdit *>("inShxFile")->setText(shx);
    dialog.findChild<QLineEdit *>("outFntFile")->setText(fnt);
    QCOMPARE(applyAndAnswer(dialog).text, QString("Converted successfully"));

    QFile output(fnt);
    QVERIFY(output.open(QIODevice::ReadOnly));
    const QByteArray bytes = output.readAll();
    // After the 36-byte name and five words: glyph count 1, range count 1,
    // then the first code of the only range, big-endian.
    QCOMPARE(bytes.mid(46, 4), QByteArray::fromHex("00010001"));
    QCOMPARE(quint8(bytes[50]) << 8 | quint8(bytes[51]), fntCode);
}

void DialogTest::messageBoxes_data()
{
    QTest::addColumn<QString>("shxName");
    QTest::addColumn<QString>("fntName");
    QTest::addColumn<bool>("success");
    QTest::addColumn<QString>("text");
    QTest::newRow("both fields empty") << "" << "" << false << "Failed to read SHX file";
    QTest::newRow("output empty") << "good.shx" << "" << false << "Failed to write FNT file";
    QTest::newRow("output not .fnt") << "good.shx" << "out.txt" << false << "Failed to write FNT file";
    QTest::newRow("blank after the input path") << "good.shx " << "out.fnt" << false
                                                << "Failed to read SHX file";
    QTest::newRow("missing input") << "none.shx" << "out.fnt" << false << "Failed to read SHX file";
    QTest::newRow("good paths") << "good.shx" << "out.fnt" << true << "Converted successfully";
}

void DialogTest::messageBoxes()
{
    QFETCH(QString, shxName);
    QFETCH(QString, fntName);
    QFETCH(bool, success);
    QFETCH(QString, text);
    QTemporaryDir dir;
    QFile good(dir.filePath("good.shx"));
    QVERIFY(good.open(QIODevice::WriteOnly));
    good.write(shxtest::shapeFont(8, {{65, shxtest::definition("A", shxtest::ShapeCode().vector(8, 2))}}));
    good.close();
    const QString shx = shxName.isEmpty() ? QString() : dir.filePath(shxName);
    const QString fnt = fntName.isEmpty() ? QString() : dir.filePath(fntName);

    Varnel dialog;
    dialog.findChild<QLineEdit *>("inShxFile")->setText(shx);
    dialog.findChild<QLineEdit *>("outFntFile")->setText(fnt);
    for (int press = 0; press < 2; ++press) {    // the dialog stays usable
        const Box box = applyAndAnswer(dialog);
        QCOMPARE(box.icon, success ? QMessageBox::Information : QMessageBox::Critical);
        QCOMPARE(box.title, QString(success ? "Information" : "Warning"));
        QCOMPARE(box.text, text);
        QVERIFY(!box.hasParent);
    }
    QCOMPARE(QFile::exists(dir.filePath("out.txt")), false);
    QCOMPARE(QFile::exists(dir.filePath("out.fnt")), success);
    QCOMPARE(dialog.findChild<QLineEdit *>("inShxFile")->text(), shx);
    QCOMPARE(dialog.findChild<QLineEdit *>("outFntFile")->text(), fnt);
}

void DialogTest::fileDialogsShareLastDirectory()
{
    struct Seen
    {
        QString caption, directory, suggestion;
        QStringList filters;
    };
    // Opens a chooser with `button`, notes how it opened, then picks `choice`
    // (or cancels when it is empty).
    Varnel dialog;
    const auto browse = [&dialog](const char *button, const QString &choice) {
        Seen seen;
        whenModal<QFileDialog>([&seen, choice](QFileDialog *chooser) {
            seen = {chooser->windowTitle(), chooser->directory().absolutePath(),
                    chooser->selectedFiles().value(0), chooser->nameFilters()};
            if (choice.isEmpty())
                return chooser->reject();
            chooser->selectFile(choice);
            static_cast<QDialog *>(chooser)->accept();    // accept() is protected in QFileDialog
        });
        dialog.findChild<QPushButton *>(button)->click();
        return seen;
    };
    auto *shxEdit = dialog.findChild<QLineEdit *>("inShxFile");
    auto *fntEdit = dialog.findChild<QLineEdit *>("outFntFile");
    fntEdit->setText("typed.fnt");

    // Nothing chosen yet: the FNT chooser suggests a file at the root.
    Seen seen = browse("browseFnt", QString());
    QCOMPARE(seen.caption, QString("Save FNT file"));
    QCOMPARE(seen.filters, QStringList("FNT (*.fnt)"));
    QCOMPARE(seen.suggestion, QString("/_font40.fnt"));
    QCOMPARE(fntEdit->text(), QString("typed.fnt"));

    QVERIFY(QDir(m_dir.path()).mkpath("fonts/out"));
    const QString fonts = m_dir.filePath("fonts");
    const QString shx = fonts + "/a.shx";
    QFile(shx).open(QIODevice::WriteOnly);
    seen = browse("browseShx", shx);
    QCOMPARE(seen.caption, QString("Choose SHX file"));
    QCOMPARE(seen.filters.value(0), QString("SHX (*.SHX; *.shx)"));
    QCOMPARE(seen.filters.size(), 2);
    QCOMPARE(shxEdit->text(), shx);
    QCOMPARE(fntEdit->text(), QString("typed.fnt"));    // never derived from the input

    for (int cancel = 0; cancel < 2; ++cancel) {
        seen = browse("browseFnt", QString());
        QCOMPARE(seen.suggestion, fonts + "/_font40.fnt");
    }
    seen = browse("browseShx", QString());
    QCOMPARE(seen.directory, fonts);
    QCOMPARE(shxEdit->text(), shx);

    const QString fnt = fonts + "/out/b.fnt";
    seen = browse("browseFnt", fnt);
    QCOMPARE(fntEdit->text(), fnt);
    seen = browse("browseShx", QString());
    QCOMPARE(seen.directory, fonts + "/out");
}

QTEST_MAIN(DialogTest)
#include "tst_dialog.moc"
