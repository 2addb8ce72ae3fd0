#include <QApplication>

#include "pixloom/AppIcon.h"
#include "pixloom/PixloomApp.h"

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    QApplication::setWindowIcon(pixloom::PixloomIcon());

    QStringList arguments = QApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();

    pixloom::CPixloomApp app;
    if (!app.InitInstance(arguments))
        return 1;
    return qapp.exec();
}
