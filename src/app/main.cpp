#include "app/TMainForm.h"
#include "platform/ProgramPictures.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Velmoras");
    // Ties the windows to the menu entry velmora.desktop, whose icon the dock and the task
    // switcher show; the dialogs carry the program's icon as the main window does.
    QGuiApplication::setDesktopFileName(QStringLiteral("velmora"));
    QApplication::setWindowIcon(programIcon(QStringLiteral("velmora")));
    TMainForm form(QApplication::arguments());
    form.show();
    return QApplication::exec();
}
