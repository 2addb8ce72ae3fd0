#include "GuiPrompt.h"

#include <algorithm>

#include <QColorDialog>
#include <QDir>
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
    return RunFileDialog(options, true);
}

std::optional<QString> QtPrompt::GetSaveFileName(const FileDialogOptions& options)
{
    return RunFileDialog(options, false);
}

void QtPrompt::SetDocumentPath(const QString& path)
{
    m_documentFolder = path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
}

std::optional<QString> QtPrompt::RunFileDialog(const FileDialogOptions& options, bool open)
{
    QFileDialog dlg(m_parent);
    dlg.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dlg.setFileMode(open && options.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The labels show as written; the patterns behind them are Qt's.
    dlg.setOption(QFileDialog::HideNameFilterDetails, true);
    dlg.setNameFilters(ToQtNameFilters(options.filter));
    const QString folder = !options.initialDir.isEmpty() ? options.initialDir : m_documentFolder;
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        dlg.setDirectory(folder);
    if (!options.initialName.isEmpty())
        dlg.selectFile(options.initialName);
    // The extension and the question about replacing a file are ours: the name the user
    // typed is not yet the name that will be written.
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    for (;;) {
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return std::nullopt;
        const QString chosen = dlg.selectedFiles().first();
        if (open)
            return chosen;
        const std::optional<QString> path = ConfirmSaveName(chosen, options, [this](const QString& p) {
            return AskYesNo(QString(ASK_REPLACE_FILE).arg(QDir::toNativeSeparators(p)).toStdString(),
                            common::MessageIcon::Exclamation);
        });
        if (path)
            return path;
        dlg.selectFile(QFileInfo(chosen).fileName());
    }
}

std::optional<std::uint32_t> QtPrompt::ChooseColor(std::uint32_t initial)
{
    QColor chosen =
        QColorDialog::getColor(QColor(ColorrefRed(initial), ColorrefGreen(initial), ColorrefBlue(initial)), m_parent);
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

QString ApplyDefaultExtension(const QString& path, const QString& defaultExt)
{
    const qsizetype slash = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    const QString name = path.mid(slash + 1);
    if (name.isEmpty())
        return path;
    if (name.endsWith('.')) {
        // "name." asks for the name without an extension; a name of dots alone stays.
        qsizetype end = path.size();
        while (end > slash + 1 && path[end - 1] == '.')
            --end;
        return end > slash + 1 ? path.left(end) : path;
    }
    if (defaultExt.isEmpty() || name.contains('.'))
        return path;
    return path + "." + defaultExt;
}

std::optional<QString> ConfirmSaveName(const QString& chosen, const FileDialogOptions& options,
                                       const std::function<bool(const QString&)>& askReplace)
{
    const QString path = ApplyDefaultExtension(chosen, options.defaultExt);
    if (options.overwritePrompt && QFileInfo::exists(path) && !askReplace(path))
        return std::nullopt;
    return path;
}

QStringList ToQtNameFilters(const QString& classicFilter)
{
    const QStringList parts = classicFilter.split('|', Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            // On the platform the programs come from "*.*" matches every name; Qt's needs a dot.
            if (p == "*.*")
                p = "*";
        }
        // Qt reads the patterns from the last parentheses and hides them; the label before
        // them is what the user sees.
        filters << parts[i] + " (" + patterns.join(' ') + ")";
    }
    return filters;
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
