#include "pixloom/PixloomApp.h"

#include "common/AtomicFile.h"
#include "pixloom/MainFrame.h"
#include "pixloom/PixloomStrings.h"
#include "pixloom/Resource.h"
#include "texture/PixloomDoc.h"

namespace pixloom {

std::filesystem::path ToDocPath(const QString& path)
{
    return common::PathFromUtf8(path.toStdString());
}

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
    m_frame.reset();
}

bool CPixloomApp::InitInstance(const QStringList& arguments)
{
    m_recent.Load();

    m_frame = std::make_unique<CMainFrame>(*m_doc, *m_prompt, m_recent);

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
        ok = m_frame->OpenDocumentFile(file);
    }
    if (!ok) {
        // The window was never shown; it goes without touching the stored window state.
        m_frame.reset();
        return false;
    }

    m_frame->ShowWithStyle(
        gui::ReadProfileInt(str::APP_TITLE, str::KEY_WINDOW_SHOW_STYLE, str::DEFAULT_WINDOW_SHOW_STYLE));
    if (m_ownPrompt)
        m_ownPrompt->SetParent(m_frame.get());
    return true;
}

} // namespace pixloom
