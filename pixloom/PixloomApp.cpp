#include "pixloom/PixloomApp.h"

#include <QFileInfo>

#include "common/AtomicFile.h"
#include "gui/WaitCursor.h"
#include "pixloom/AboutDlg.h"
#include "pixloom/MainFrame.h"
#include "pixloom/PixloomStrings.h"
#include "pixloom/Resource.h"
#include "pixloom/WaitPrompt.h"
#include "texture/PixloomDoc.h"
#include "texture/TexMessages.h"

namespace pixloom {

std::filesystem::path ToDocPath(const QString& path) { return common::PathFromUtf8(path.toStdString()); }

QString FromDocPath(const std::filesystem::path& path)
{
    return QString::fromStdString(common::PathToUtf8(path));
}

CPixloomApp::CPixloomApp(gui::IGuiPrompt* prompt)
    : m_doc(std::make_unique<texture::CPixloomDoc>()), m_recent(str::APP_TITLE, RECENT_FILE_COUNT)
{
    if (prompt) {
        m_prompt = prompt;
    } else {
        m_ownPrompt = std::make_unique<gui::QtPrompt>(nullptr, str::APP_TITLE);
        m_prompt = m_ownPrompt.get();
    }
}

CPixloomApp::~CPixloomApp()
{
    m_doc->SetUpdateAllViewsHandler({});
    m_frame.reset();
}

void CPixloomApp::DocumentChanged()
{
    if (m_frame)
        m_frame->OnDocumentChanged();
}

bool CPixloomApp::InitInstance(const QStringList& arguments)
{
    m_recent.Load();

    m_frame = std::make_unique<CMainFrame>(*this, *m_doc, *m_prompt);
    m_doc->SetUpdateAllViewsHandler([this] { DocumentChanged(); });

    QString file;
    for (const QString& arg : arguments) {
        if (!arg.startsWith('-')) {
            file = arg;
            break;
        }
    }

    bool ok;
    if (file.isEmpty()) {
        ok = m_doc->OnNewDocument();
    } else {
        ok = OpenDocumentFile(file);
    }
    if (!ok) {
        // The window was never shown; it goes without touching the stored window state.
        m_doc->SetUpdateAllViewsHandler({});
        m_frame.reset();
        return false;
    }

    m_frame->ShowWithStyle(
        gui::ReadProfileInt(str::APP_TITLE, str::KEY_WINDOW_SHOW_STYLE, str::DEFAULT_WINDOW_SHOW_STYLE));
    if (m_ownPrompt)
        m_ownPrompt->SetParent(m_frame.get());
    return true;
}

bool CPixloomApp::OpenDocumentFile(const QString& path, bool* cancelled)
{
    if (cancelled)
        *cancelled = false;
    if (m_frame && !m_frame->SaveModified()) {
        if (cancelled)
            *cancelled = true;
        return false;
    }

    const QString full = QFileInfo(path).absoluteFilePath();
    bool ok;
    {
        gui::WaitCursor wait;
        CPromptOverWaitCursor prompt(*m_prompt);
        ok = m_doc->OnOpenDocument(ToDocPath(full), prompt);
    }
    if (ok) {
        m_recent.Add(full);
    } else if (!m_doc->IsLoaded()) {
        // The user already chose not to keep any changes, and nothing is left on show that
        // a save could store: there is nothing to ask about at exit.
        m_doc->SetModifiedFlag(false);
    }
    DocumentChanged();
    return ok;
}

void CPixloomApp::OnFileNew()
{
    if (m_frame && !m_frame->SaveModified())
        return;
    m_doc->OnNewDocument();
    DocumentChanged();
}

void CPixloomApp::OnFileOpen()
{
    gui::FileDialogOptions options;
    options.filter = texture::msg::TEX_FILTER;
    options.fileMustExist = true;
    if (std::optional<QString> path = m_prompt->GetOpenFileName(options))
        OpenDocumentFile(*path);
}

void CPixloomApp::OnOpenRecentFile(int index)
{
    const QStringList& files = m_recent.Files();
    if (index < 0 || index >= files.size())
        return;
    const QString path = files[index];
    // A file that no longer opens leaves the list; one the user merely did not get to
    // (cancelled at the save question) stays.
    bool cancelled = false;
    if (!OpenDocumentFile(path, &cancelled) && !cancelled)
        m_recent.Remove(path);
}

void CPixloomApp::OnAppAbout()
{
    CPixloomAboutDlg dlg(m_frame.get());
    dlg.exec();
}

} // namespace pixloom
