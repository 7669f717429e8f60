// varnel: the font converter dialog.
#include "settings/TranslationFile.h"
#include "ui/Varnel.h"

#include <QApplication>
#include <QTranslator>

#include <cstdio>

int main(int argc, char *argv[])
{
    // --version and --help need no display, so they are answered before the
    // window system starts; other options are left to QApplication.
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "-v" || argument == "--version") {
            std::fputs("varnel " VARNEL_VERSION "\n", stdout);
            return 0;
        }
        if (argument == "-h" || argument == "--help") {
            std::fputs("Usage: varnel [-h | --help | -v | --version]\n"
                       "Opens the font converter dialog; varnel-cli converts from the command line.\n",
                       stdout);
            return 0;
        }
    }

    QApplication application(argc, argv);
    // Lets Linux desktops match the window to varnel.desktop and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("varnel"));

    // Installed before the dialog exists, so its texts are translated as it
    // is built; it outlives the dialog, which looks texts up through it.
    QTranslator translator;
    installStartupTranslation(translator);

    Varnel dialog;
    // Modal, but shown with show(): the application's loop is the only one.
    dialog.show();
    return application.exec();
}
