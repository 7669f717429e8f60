// varnel: the font converter dialog.
#include "settings/TranslationFile.h"
#include "ui/Varnel.h"

#include <QApplication>
#include <QTranslator>

int main(int argc, char *argv[])
{
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
