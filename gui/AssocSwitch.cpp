#include "AssocSwitch.h"

#include <exception>
#include <iostream>

#include <QCoreApplication>
#include <QDir>

#include "registrar/FileAssociation.h"

namespace gui {

bool IsAssocSwitch(std::string_view argument)
{
    return argument == "--register" || argument == "--unregister";
}

int RunAssocSwitch(std::string_view argument, const registrar::AssocValues& values)
{
    registrar::AssocOutcome outcome;
    try {
        const std::string path =
            QDir::toNativeSeparators(QCoreApplication::applicationFilePath()).toUtf8().toStdString();
        outcome = argument == "--register"
            ? registrar::ApplyFileAssociation(registrar::AssocAction::SetReset, values, path, {})
            : registrar::ReleaseFileAssociation(values, path);
    } catch (const std::exception& e) {
        outcome.Fail(e.what());
    }
    if (outcome.Ok())
        return 0;
    std::cerr << registrar::AssocFailureMessage(outcome) << '\n';
    return 1;
}

} // namespace gui
