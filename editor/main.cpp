// QM4Edit: the scene editor.

#include <QApplication>

#include <cstring>
#include <iostream>

#include "editor/app/EditorStrings.h"
#include "editor/app/Icons.h"
#include "editor/app/QM4EditApp.h"
#include "editor/app/QM4EditAssoc.h"
#include "common/Version.h"
#include "gui/AssocSwitch.h"
#include "gui/Settings.h"

int main(int argc, char* argv[])
{
    // Answered before the window system is touched, so they work on a bare console.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "QM4Edit " << common::kVersion << '\n';
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::cout << "usage: QM4Edit [FILE.qm4]\n"
                     "       QM4Edit --register | --unregister\n"
                     "  --register    make QM4Edit the handler of .qm4 files for this user, as\n"
                     "                Options > Associations... does\n"
                     "  --unregister  take that back, where .qm4 files still open QM4Edit\n";
        return 0;
    }
    // An installer's call: no window, no display needed.
    if (argc == 2 && gui::IsAssocSwitch(argv[1])) {
        QCoreApplication core(argc, argv);
        return gui::RunAssocSwitch(argv[1], qm4edit::QM4EditAssocValues());
    }
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QString::fromLatin1(common::kVersion));
    QApplication::setOrganizationName(gui::kCompanyKey);
    QApplication::setApplicationName(qm4edit::APP_TITLE);
    QApplication::setWindowIcon(qm4edit::ProgramIcon());

    qm4edit::CQM4EditApp theApp;
    if (!theApp.InitInstance(QApplication::arguments()))
        return 1;
    return QApplication::exec();
}
