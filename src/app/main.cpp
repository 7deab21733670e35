#include "app/TMainForm.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Velmoras");
    TMainForm form(QApplication::arguments());
    form.show();
    return QApplication::exec();
}
