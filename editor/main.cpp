// QM4Edit: the scene editor.

#include <QApplication>

#include "EditorStrings.h"
#include "Icons.h"
#include "QM4EditApp.h"
#include "gui/Settings.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(gui::kCompanyKey);
    QApplication::setApplicationName(qm4edit::APP_TITLE);
    QApplication::setWindowIcon(qm4edit::ProgramIcon());

    qm4edit::CQM4EditApp theApp;
    if (!theApp.InitInstance(QApplication::arguments()))
        return 1;
    return QApplication::exec();
}
