#include "pixloom/MainFrame.h"

#include <algorithm>

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

#include "gui/FileAssocDlg.h"
#include "gui/Settings.h"
#include "gui/WaitCursor.h"
#include "pixloom/PixloomApp.h"
#include "pixloom/PixloomAssoc.h"
#include "pixloom/PixloomStrings.h"
#include "pixloom/PixloomView.h"
#include "pixloom/Resource.h"
#include "pixloom/TexHeaderDlg.h"
#include "pixloom/WaitPrompt.h"
#include "texture/PixloomDoc.h"
#include "texture/TexMessages.h"

namespace pixloom {

namespace {

// Show states as they are stored.
constexpr int SHOW_NORMAL = 1;
constexpr int SHOW_MINIMIZED = 2;
constexpr int SHOW_MAXIMIZED = 3;

// File dialogs want the default extension without its dot.
QString WithoutDot(const char* ext)
{
    QString s(ext);
    if (s.startsWith('.'))
        s.remove(0, 1);
    return s;
}

} // namespace

CMainFrame::CMainFrame(CPixloomApp& app, texture::CPixloomDoc& doc, gui::IGuiPrompt& prompt)
    : m_app(app), m_doc(doc), m_prompt(prompt)
{
    m_view = new CPixloomView(m_doc, str::APP_TITLE, this);
    setCentralWidget(m_view);
    CreateActions();
    CreateMenus();
    resize(640, 560);
    OnDocumentChanged();
}

CMainFrame::~CMainFrame()
{
    // A window that never appeared (a start-up that failed) has no state worth keeping,
    // and must not overwrite the one stored by the last real session.
    if (m_bShown)
        gui::WriteProfileInt(str::APP_TITLE, str::KEY_WINDOW_SHOW_STYLE, m_closedStyle.value_or(GetShowStyle()));
}

QAction* CMainFrame::AddCommand(int id, const char* text, std::function<void()> handler)
{
    auto* action = new QAction(QString::fromUtf8(text), this);
    action->setData(id);
    if (handler)
        connect(action, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
    m_actions[id] = action;
    return action;
}

QAction* CMainFrame::GetAction(int id) const
{
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::CreateActions()
{
    AddCommand(ID_FILE_NEW, "New", [this] { m_app.OnFileNew(); })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    AddCommand(ID_FILE_OPEN, str::FILE_OPEN, [this] { m_app.OnFileOpen(); })
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    AddCommand(ID_FILE_SAVE, str::FILE_SAVE, [this] { OnFileSave(); })
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    AddCommand(ID_FILE_SAVE_AS, str::FILE_SAVE_AS, [this] { OnFileSaveAs(); });
    AddCommand(ID_FILE_IMPORT, str::FILE_IMPORT, [this] { OnFileImport(); });
    AddCommand(ID_FILE_EXPORT, str::FILE_EXPORT, [this] { OnFileExport(); });
    AddCommand(ID_APP_EXIT, str::FILE_EXIT, [this] { close(); });
    AddCommand(ID_HEADER_SHOW, str::HEADER_SHOW, [this] { OnHeaderShow(); });
    AddCommand(ID_OPTIONS_BACKGROUND, str::OPTIONS_BACKGROUND, [this] { OnOptionsBackground(); });
    AddCommand(ID_OPTIONS_ASSOCIATE, str::OPTIONS_ASSOCIATE, [this] { OnOptionsAssociate(); });
    AddCommand(ID_APP_ABOUT, str::APP_ABOUT, [this] { m_app.OnAppAbout(); });

    // New has no menu entry, only its key; the window carries it so the key works.
    addAction(GetAction(ID_FILE_NEW));

    // The editing and pane keys are bound as in every program of this family, and lead
    // nowhere: the tool has nothing to edit and only one pane.
    const QKeySequence inertKeys[] = {
        QKeySequence(Qt::CTRL | Qt::Key_Z),     QKeySequence(Qt::ALT | Qt::Key_Backspace),
        QKeySequence(Qt::CTRL | Qt::Key_X),     QKeySequence(Qt::SHIFT | Qt::Key_Delete),
        QKeySequence(Qt::CTRL | Qt::Key_C),     QKeySequence(Qt::CTRL | Qt::Key_Insert),
        QKeySequence(Qt::CTRL | Qt::Key_V),     QKeySequence(Qt::SHIFT | Qt::Key_Insert),
        QKeySequence(Qt::Key_F6),               QKeySequence(Qt::SHIFT | Qt::Key_F6),
    };
    for (const QKeySequence& key : inertKeys) {
        auto* inert = new QAction(this);
        inert->setShortcut(key);
        addAction(inert);
    }
}

void CMainFrame::CreateMenus()
{
    m_fileMenu = menuBar()->addMenu(str::MENU_FILE);
    m_fileMenu->addAction(GetAction(ID_FILE_OPEN));
    m_fileMenu->addAction(GetAction(ID_FILE_SAVE));
    m_fileMenu->addAction(GetAction(ID_FILE_SAVE_AS));
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(GetAction(ID_FILE_IMPORT));
    m_fileMenu->addAction(GetAction(ID_FILE_EXPORT));
    m_fileMenu->addSeparator();
    m_recentPlaceholder = m_fileMenu->addAction(str::FILE_RECENT);
    m_recentPlaceholder->setEnabled(false);
    m_exitSeparator = m_fileMenu->addSeparator();
    m_fileMenu->addAction(GetAction(ID_APP_EXIT));
    connect(m_fileMenu, &QMenu::aboutToShow, this, [this] {
        RebuildRecentFiles();
        UpdateActions();
    });

    QMenu* header = menuBar()->addMenu(str::MENU_HEADER);
    header->addAction(GetAction(ID_HEADER_SHOW));
    connect(header, &QMenu::aboutToShow, this, &CMainFrame::UpdateActions);

    QMenu* options = menuBar()->addMenu(str::MENU_OPTIONS);
    options->addAction(GetAction(ID_OPTIONS_BACKGROUND));
    options->addAction(GetAction(ID_OPTIONS_ASSOCIATE));

    QMenu* help = menuBar()->addMenu(str::MENU_HELP);
    help->addAction(GetAction(ID_APP_ABOUT));

    RebuildRecentFiles();
}

void CMainFrame::RebuildRecentFiles()
{
    for (QAction* a : m_recentActions) {
        m_fileMenu->removeAction(a);
        m_actions.erase(a->data().toInt());
        delete a;
    }
    m_recentActions.clear();

    const gui::RecentFileList& recent = m_app.GetRecentFiles();
    const int count = static_cast<int>(std::min<qsizetype>(recent.Files().size(), RECENT_FILE_COUNT));
    // With no entries the list's place shows its name, greyed.
    m_recentPlaceholder->setVisible(count == 0);
    for (int i = 0; i < count; ++i) {
        auto* action = new QAction(recent.MenuText(i), this);
        action->setData(ID_FILE_MRU_FILE1 + i);
        connect(action, &QAction::triggered, this, [this, i] { m_app.OnOpenRecentFile(i); });
        m_fileMenu->insertAction(m_exitSeparator, action);
        m_actions[ID_FILE_MRU_FILE1 + i] = action;
        m_recentActions.push_back(action);
    }
}

void CMainFrame::UpdateActions()
{
    const bool loaded = m_doc.IsLoaded() != 0;
    const bool savable = loaded && m_doc.IsModified();
    GetAction(ID_FILE_SAVE)->setEnabled(savable);
    GetAction(ID_FILE_SAVE_AS)->setEnabled(savable);
    GetAction(ID_FILE_IMPORT)->setEnabled(loaded);
    GetAction(ID_FILE_EXPORT)->setEnabled(loaded);
    GetAction(ID_HEADER_SHOW)->setEnabled(loaded);
}

void CMainFrame::UpdateTitle()
{
    setWindowTitle(TitleName() + "[*] - " + str::APP_TITLE);
    setWindowModified(m_doc.IsModified());
    const std::filesystem::path& path = m_doc.GetPathName();
    m_prompt.SetDocumentPath(path.empty() ? QString() : FromDocPath(path));
}

QString CMainFrame::TitleName() const
{
    // A refused open leaves the previous path in the document but nothing on show: naming
    // that file would claim it is still open.
    const std::filesystem::path& path = m_doc.GetPathName();
    if (path.empty() || !m_doc.IsLoaded())
        return QString(str::UNTITLED);
    return FromDocPath(path.filename());
}

void CMainFrame::OnDocumentChanged()
{
    UpdateTitle();
    UpdateActions();
    m_view->update();
}

void CMainFrame::ShowWithStyle(int showStyle)
{
    switch (showStyle) {
    case SHOW_MINIMIZED: showMinimized(); break;
    case SHOW_MAXIMIZED: showMaximized(); break;
    // Hidden or unknown states would leave the user without a window.
    default: showNormal(); break;
    }
}

int CMainFrame::GetShowStyle() const
{
    const Qt::WindowStates state = windowState();
    if (state & Qt::WindowMinimized)
        return SHOW_MINIMIZED;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return SHOW_MAXIMIZED;
    return SHOW_NORMAL;
}

void CMainFrame::showEvent(QShowEvent* event)
{
    m_bShown = true;
    QMainWindow::showEvent(event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!SaveModified()) {
        event->ignore();
        return;
    }
    m_closedStyle = GetShowStyle();
    event->accept();
}

bool CMainFrame::SaveModified()
{
    // Only a loaded texture has anything a save could keep.
    if (!m_doc.IsLoaded() || !m_doc.IsModified())
        return true;
    const std::filesystem::path& path = m_doc.GetPathName();
    const QString name = path.empty() ? QString(str::UNTITLED) : QDir::toNativeSeparators(FromDocPath(path));
    switch (m_prompt.AskSaveChanges(QString(str::ASK_SAVE_CHANGES).arg(name))) {
    case gui::SaveChangesAnswer::Yes: return OnFileSave();
    case gui::SaveChangesAnswer::No: return true;
    case gui::SaveChangesAnswer::Cancel: break;
    }
    return false;
}

bool CMainFrame::OnFileSave()
{
    if (!m_doc.IsLoaded())
        return false;
    const std::filesystem::path& path = m_doc.GetPathName();
    // A texture whose file went away or may not be written is saved under a new name.
    const QFileInfo info(FromDocPath(path));
    if (path.empty() || !info.exists() || !info.isWritable())
        return OnFileSaveAs();

    bool ok;
    {
        gui::WaitCursor wait;
        CPromptOverWaitCursor prompt(m_prompt);
        ok = m_doc.OnSaveDocument(path, prompt);
    }
    OnDocumentChanged();
    return ok;
}

bool CMainFrame::OnFileSaveAs()
{
    if (!m_doc.IsLoaded())
        return false;
    gui::FileDialogOptions options;
    options.filter = texture::msg::TEX_FILTER;
    options.defaultExt = WithoutDot(texture::msg::TEX_DEFAULT_EXT);
    options.overwritePrompt = true;
    const std::optional<QString> chosen = m_prompt.GetSaveFileName(options);
    if (!chosen)
        return false;

    const QString full = QFileInfo(*chosen).absoluteFilePath();
    bool ok;
    {
        gui::WaitCursor wait;
        CPromptOverWaitCursor prompt(m_prompt);
        ok = m_doc.SaveAs(ToDocPath(full), prompt);
    }
    if (ok)
        m_app.GetRecentFiles().Add(full);
    OnDocumentChanged();
    return ok;
}

gui::FileDialogOptions CMainFrame::TargaDialogOptions() const
{
    gui::FileDialogOptions options;
    options.filter = texture::msg::TGA_FILTER;
    options.defaultExt = WithoutDot(texture::msg::TGA_DEFAULT_EXT);
    options.initialName = QString::fromStdString(texture::CPixloomDoc::SuggestTargaName(m_doc.GetPathName()));
    return options;
}

void CMainFrame::OnFileExport()
{
    if (!m_doc.IsLoaded())
        return;
    gui::FileDialogOptions options = TargaDialogOptions();
    options.overwritePrompt = true;
    const std::optional<QString> chosen = m_prompt.GetSaveFileName(options);
    if (!chosen)
        return;

    gui::WaitCursor wait;
    CPromptOverWaitCursor prompt(m_prompt);
    m_doc.ExportTarga(ToDocPath(*chosen), prompt);
}

void CMainFrame::OnFileImport()
{
    if (!m_doc.IsLoaded())
        return;
    gui::FileDialogOptions options = TargaDialogOptions();
    options.fileMustExist = true;
    const std::optional<QString> chosen = m_prompt.GetOpenFileName(options);
    if (!chosen)
        return;

    ImportTargaAsking(ToDocPath(*chosen));
    OnDocumentChanged();
}

void CMainFrame::ImportTargaAsking(const std::filesystem::path& path)
{
    // The wait cursor covers the file work only: a message or the question needs the arrow.
    texture::TargaCheck check;
    {
        gui::WaitCursor wait;
        check = m_doc.CheckTarga(path);
    }
    if (!check.result.Ok()) {
        check.result.Report(m_prompt);
        return;
    }
    if (check.NeedsDepthQuestion() && !m_prompt.AskYesNo(check.depthQuestion, common::MessageIcon::Exclamation))
        return;
    texture::TexResult converted;
    {
        gui::WaitCursor wait;
        converted = m_doc.ConvertTarga(check);
    }
    converted.Report(m_prompt);
}

void CMainFrame::OnHeaderShow()
{
    if (!m_doc.IsLoaded())
        return;
    const texture::TexHeader& h = m_doc.GetHeader();
    CTexHeaderDlg dlg(this);
    dlg.m_strFiller = QString::fromStdString(texture::FormatFiller(h));
    dlg.m_nXRes = h.xRes;
    dlg.m_nYRes = h.yRes;
    dlg.m_nBpp = h.bpp;
    dlg.exec();
}

void CMainFrame::OnOptionsBackground()
{
    if (std::optional<std::uint32_t> color = m_prompt.ChooseColor(m_view->GetBkColor()))
        m_view->SetBkColor(*color);
}

void CMainFrame::OnOptionsAssociate()
{
    gui::RunFileAssocDialog(this, PixloomAssocValues(), m_prompt);
}

} // namespace pixloom
