#include "editor/app/QM4EditApp.h"

#include "editor/app/EditorStrings.h"
#include "editor/app/MainFrame.h"
#include "gui/GuiPrompt.h"

namespace qm4edit {

CQM4EditApp::CQM4EditApp(std::unique_ptr<gui::IGuiPrompt> prompt)
    : m_prompt(std::move(prompt)), m_recentFiles(QString(APP_TITLE), 4)
{
    if (!m_prompt)
        m_prompt = std::make_unique<gui::QtPrompt>(nullptr, QString(APP_TITLE));
}

CQM4EditApp::~CQM4EditApp() = default;

bool CQM4EditApp::InitInstance(const QStringList& arguments, bool show)
{
    // Settings live in QSettings("Fennwick Software", "QM4Edit"); the four recent files first.
    m_recentFiles.Load();

    m_pMainWnd = std::make_unique<CMainFrame>(m_doc, *m_prompt, m_recentFiles);
    if (auto* qtPrompt = dynamic_cast<gui::QtPrompt*>(m_prompt.get()))
        qtPrompt->SetParent(m_pMainWnd.get());

    const QString file = arguments.size() > 1 ? arguments[1] : QString();
    if (file.isEmpty()) {
        if (!m_pMainWnd->NewDocument()) {
            m_pMainWnd.reset();
            return false;
        }
    } else if (m_pMainWnd->OpenDocumentFile(file) != OpenOutcome::Opened) {
        // Its message has been shown; the program ends.
        if (auto* qtPrompt = dynamic_cast<gui::QtPrompt*>(m_prompt.get()))
            qtPrompt->SetParent(nullptr);
        m_pMainWnd.reset();
        return false;
    }

    if (show)
        m_pMainWnd->show();
    return true;
}

} // namespace qm4edit
