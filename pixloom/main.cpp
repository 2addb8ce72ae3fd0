#include <QApplication>

#include <cstring>
#include <iostream>

#include "common/Version.h"
#include "gui/AssocSwitch.h"

#include "pixloom/AppIcon.h"
#include "pixloom/PixloomApp.h"
#include "pixloom/PixloomAssoc.h"

int main(int argc, char** argv)
{
    // Answered before the window system is touched, so they work on a bare console.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "Pixloom " << common::kVersion << '\n';
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::cout << "usage: Pixloom [FILE.tex]\n"
                     "       Pixloom --register | --unregister\n"
                     "  --register    make Pixloom the handler of .tex files for this user, as\n"
                     "                Options > Associate... does\n"
                     "  --unregister  take that back, where .tex files still open Pixloom\n";
        return 0;
    }
    // An installer's call: no window, no display needed.
    if (argc == 2 && gui::IsAssocSwitch(argv[1])) {
        QCoreApplication core(argc, argv);
        return gui::RunAssocSwitch(argv[1], pixloom::PixloomAssocValues());
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationVersion(QString::fromLatin1(common::kVersion));
    QApplication::setWindowIcon(pixloom::PixloomIcon());

    QStringList arguments = QApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();

    pixloom::CPixloomApp app;
    if (!app.InitInstance(arguments))
        return 1;
    return qapp.exec();
}
