#include "editor/app/DocumentCommands.h"

#include <QDir>
#include <QFileInfo>

#include "editor/app/EditorStrings.h"
#include "editor/app/MainFrame.h"
#include "editor/app/UndoHistory.h"
#include "editor/ortho/QM4EditView.h"
#include "gui/GuiPrompt.h"
#include "gui/RecentFilesMenu.h"
#include "gui/Settings.h"
#include "gui/WaitCursor.h"
#include "scene/QM4EditDoc.h"

namespace qm4edit {

namespace {

std::filesystem::path ToFsPath(const QString& path)
{
    return common::PathFromUtf8(path.toStdString());
}

QString AbsoluteNative(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

CDocumentCommands::CDocumentCommands(CMainFrame& frame, scene::CQM4EditDoc& doc, gui::IGuiPrompt& prompt,
                                     gui::RecentFileList& recentFiles, CUndoHistory& history)
    : m_frame(frame), m_doc(doc), m_prompt(prompt), m_recentFiles(recentFiles), m_history(history)
{}

CDocumentCommands::~CDocumentCommands() = default;

void CDocumentCommands::AttachRecentMenu(QMenu& fileMenu, QAction& placeholder)
{
    m_recentMenu = std::make_unique<gui::RecentFilesMenu>(fileMenu, placeholder, m_recentFiles,
                                                          [this](int i) { OnOpenRecentFile(i); });
}

std::vector<QAction*> CDocumentCommands::RecentFileActions() const
{
    return m_recentMenu->Shown();
}

QString CDocumentCommands::SceneFolder() const
{
    return m_strPathName.isEmpty() ? QDir::currentPath() : QFileInfo(m_strPathName).absolutePath();
}

QString CDocumentCommands::DocumentTitle() const
{
    return m_strPathName.isEmpty() ? QString(UNTITLED) : QFileInfo(m_strPathName).fileName();
}

void CDocumentCommands::UpdateTitle()
{
    m_frame.setWindowTitle(DocumentTitle() + "[*] - " + APP_TITLE);
    m_frame.setWindowModified(m_doc.IsModified());
    m_prompt.SetDocumentPath(m_strPathName);
}

bool CDocumentCommands::SaveModified()
{
    if (!m_doc.IsModified())
        return true;
    switch (m_prompt.AskSaveChanges(QString(ASK_SAVE_CHANGES).arg(DocumentTitle()))) {
    case gui::SaveChangesAnswer::Yes: return DoFileSave();
    case gui::SaveChangesAnswer::No: return true;
    case gui::SaveChangesAnswer::Cancel: break;
    }
    return false;
}

void CDocumentCommands::AfterDocumentChanged()
{
    m_history.Clear();
    UpdateTitle();
    m_frame.ShowNewScene(m_strPathName.isEmpty() ? std::filesystem::path()
                                                 : ToFsPath(QFileInfo(m_strPathName).absolutePath()));
}

OpenOutcome CDocumentCommands::OpenDocumentFile(const QString& path)
{
    if (!SaveModified())
        return OpenOutcome::Cancelled;
    const QString absolute = AbsoluteNative(path);
    scene::LoadResult result;
    {
        gui::WaitCursor wait;
        result = m_doc.OnOpenDocument(ToFsPath(absolute));
    }
    result.Report(m_prompt);
    if (result.status == scene::LoadStatus::NotOpened) {
        // The document keeps its name; its scene may have been emptied if reading began, and
        // then no step of the history fits it any more.
        m_history.Clear(!m_doc.IsModified());
        m_frame.GetSceneView()->OnUpdate();
        UpdateTitle();
        m_frame.UpdateActions();
        return OpenOutcome::Failed;
    }
    // A file that opened but held no valid scene still counts as opened: it takes the
    // window title and joins the recent files, with an empty scene.
    m_strPathName = absolute;
    m_recentFiles.Add(absolute);
    m_recentMenu->Rebuild();
    AfterDocumentChanged();
    return OpenOutcome::Opened;
}

bool CDocumentCommands::NewDocument()
{
    if (!SaveModified())
        return false;
    if (!m_doc.OnNewDocument())
        return false;
    m_strPathName.clear();
    AfterDocumentChanged();
    return true;
}

bool CDocumentCommands::SaveTo(const QString& path)
{
    scene::SaveResult result;
    {
        gui::WaitCursor wait;
        result = m_doc.OnSaveDocument(ToFsPath(path));
    }
    result.Report(m_prompt);
    if (result.ok)
        m_history.SetClean();
    return result.ok;
}

bool CDocumentCommands::DoFileSave()
{
    if (m_strPathName.isEmpty())
        return DoSaveAs();
    const bool saved = SaveTo(m_strPathName);
    UpdateTitle();
    m_frame.UpdateActions();
    return saved;
}

bool CDocumentCommands::DoSaveAs()
{
    gui::FileDialogOptions options;
    options.filter = QString(scene::QM4_FILTER);
    options.defaultExt = QString(scene::QM4_EXTENSION).mid(1);
    options.overwritePrompt = true;
    const std::optional<QString> chosen = m_prompt.GetSaveFileName(options);
    if (!chosen || chosen->isEmpty())
        return false;
    const QString absolute = AbsoluteNative(*chosen);
    // A failed save leaves no new file behind and whatever was there untouched, so there is
    // nothing to delete; the document keeps its old name.
    const bool saved = SaveTo(absolute);
    if (saved) {
        m_strPathName = absolute;
        m_recentFiles.Add(absolute);
        m_recentMenu->Rebuild();
    }
    UpdateTitle();
    m_frame.UpdateActions();
    return saved;
}

void CDocumentCommands::OnFileOpen()
{
    gui::FileDialogOptions options;
    options.filter = QString(scene::QM4_FILTER);
    options.fileMustExist = true;
    const std::optional<QString> chosen = m_prompt.GetOpenFileName(options);
    if (chosen && !chosen->isEmpty())
        OpenDocumentFile(*chosen);
}

void CDocumentCommands::OnOpenRecentFile(int index)
{
    const QStringList& files = m_recentFiles.Files();
    if (index < 0 || index >= files.size())
        return;
    const QString path = files[index];
    if (OpenDocumentFile(path) == OpenOutcome::Failed) {
        // A file that is gone does not stay in the list.
        m_recentFiles.Remove(path);
        m_recentMenu->Rebuild();
    }
}

} // namespace qm4edit
