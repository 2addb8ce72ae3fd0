#include "GuiPrompt.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

namespace gui {

namespace {

QMessageBox::Icon ToQtIcon(common::MessageIcon icon)
{
    switch (icon) {
    case common::MessageIcon::Stop: return QMessageBox::Critical;
    case common::MessageIcon::Exclamation: return QMessageBox::Warning;
    case common::MessageIcon::Information: return QMessageBox::Information;
    case common::MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QString WithDefaultExt(QString path, const FileDialogOptions& options)
{
    if (!path.isEmpty() && !options.defaultExt.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += "." + options.defaultExt;
    return path;
}

std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogOptions& options, bool open)
{
    QFileDialog dlg(parent);
    dlg.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dlg.setFileMode(open && options.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dlg.setNameFilter(ToQtFilter(options.filter));
    if (!options.defaultExt.isEmpty())
        dlg.setDefaultSuffix(options.defaultExt);
    if (!options.initialName.isEmpty())
        dlg.selectFile(options.initialName);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, !options.overwritePrompt);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return WithDefaultExt(dlg.selectedFiles().first(), options);
}

} // namespace

void QtPrompt::ShowMessage(const std::string& text, common::MessageIcon icon)
{
    QMessageBox box(ToQtIcon(icon), m_title, QString::fromStdString(text), QMessageBox::Ok, m_parent);
    box.exec();
}

bool QtPrompt::AskYesNo(const std::string& text, common::MessageIcon icon)
{
    QMessageBox box(ToQtIcon(icon), m_title, QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No,
                    m_parent);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtPrompt::GetOpenFileName(const FileDialogOptions& options)
{
    return RunFileDialog(m_parent, options, true);
}

std::optional<QString> QtPrompt::GetSaveFileName(const FileDialogOptions& options)
{
    return RunFileDialog(m_parent, options, false);
}

std::optional<std::uint32_t> QtPrompt::ChooseColor(std::uint32_t initial)
{
    QColor chosen = QColorDialog::getColor(
        QColor(ColorrefRed(initial), ColorrefGreen(initial), ColorrefBlue(initial)), m_parent);
    if (!chosen.isValid())
        return std::nullopt;
    return ColorrefFromRgb(chosen.red(), chosen.green(), chosen.blue());
}

SaveChangesAnswer QtPrompt::AskSaveChanges(const QString& text)
{
    QMessageBox box(QMessageBox::Warning, m_title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    m_parent);
    switch (box.exec()) {
    case QMessageBox::Yes: return SaveChangesAnswer::Yes;
    case QMessageBox::No: return SaveChangesAnswer::No;
    default: return SaveChangesAnswer::Cancel;
    }
}

QString ToQtFilter(const QString& classicFilter)
{
    const QStringList parts = classicFilter.split('|', Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& label = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        // Qt takes the patterns from the last parenthesis of each entry, separated by blanks.
        if (label.endsWith(')') && label.contains('('))
            filters << QString(label).replace(';', ' ');
        else
            filters << label + " (" + patterns + ")";
    }
    return filters.join(";;");
}

} // namespace gui
