#include "pixloom/MainFrame.h"

#include <algorithm>
#include <cmath>

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

#include "gui/FileAssocDlg.h"
#include "gui/FileDrop.h"
#include "interchange/TextureImage.h"
#include "gui/RecentFilesMenu.h"
#include "gui/Settings.h"
#include "gui/WaitCursor.h"
#include "pixloom/AboutDlg.h"
#include "pixloom/NewTextureDlg.h"
#include "pixloom/PixloomApp.h"
#include "pixloom/PixloomAssoc.h"
#include "pixloom/PixloomStrings.h"
#include "pixloom/PixloomView.h"
#include "pixloom/Resource.h"
#include "pixloom/TexHeaderDlg.h"
#include "pixloom/WaitPrompt.h"
#include "texture/PixloomDoc.h"
#include "texture/TexFormat.h"
#include "texture/TexMessages.h"

namespace pixloom {

namespace {

// Show states as they are stored.
constexpr int SHOW_NORMAL = 1;
constexpr int SHOW_MINIMIZED = 2;
constexpr int SHOW_MAXIMIZED = 3;

bool IsTexName(const QString& path)
{
    return path.endsWith(QLatin1String(texture::msg::TEX_DEFAULT_EXT), Qt::CaseInsensitive);
}

// File dialogs want the default extension without its dot.
QString WithoutDot(const char* ext)
{
    QString s(ext);
    if (s.startsWith('.'))
        s.remove(0, 1);
    return s;
}

} // namespace

CMainFrame::CMainFrame(texture::CPixloomDoc& doc, gui::IGuiPrompt& prompt, gui::RecentFileList& recentFiles)
    : m_doc(doc), m_prompt(prompt), m_recentFiles(recentFiles)
{
    m_view = new CPixloomView(m_doc, str::APP_TITLE, this);
    setCentralWidget(m_view);
    m_pixelLabel = new QLabel(this);
    m_textureLabel = new QLabel(this);
    statusBar()->addWidget(m_pixelLabel, 1);
    statusBar()->addPermanentWidget(m_textureLabel);
    connect(m_view, &CPixloomView::PointerPixelChanged, this, [this](int x, int y) { UpdatePixelStatus(x, y); });
    connect(m_view, &CPixloomView::ZoomChanged, this, [this] {
        UpdateTextureStatus();
        UpdateActions();
    });
    CreateCommands();
    CreateMenus();
    // A texture opens as from File > Open; an image imports as from File > Import into the
    // texture on show, or, while there is none, becomes one as from File > New from Image.
    new gui::FileDropTarget(
        *this, {texture::msg::TEX_DEFAULT_EXT, ".tga", ".png", ".bmp"}, [](const QString&) { return true; },
        [this](const QString& path) { OnDropFile(path); });
    m_chooseDepth = [this](int width, int height, int proposed) -> std::optional<int> {
        CNewTextureDlg dlg(width, height, proposed, this);
        if (dlg.exec() != QDialog::Accepted)
            return std::nullopt;
        return dlg.GetBpp();
    };
    resize(640, 560);
    m_doc.SetUpdateAllViewsHandler([this] { OnDocumentChanged(); });
    OnDocumentChanged();
}

CMainFrame::~CMainFrame()
{
    m_doc.SetUpdateAllViewsHandler({});
    // A window that never appeared (a start-up that failed) has no state worth keeping,
    // and must not overwrite the one stored by the last real session.
    if (m_bShown)
        gui::WriteProfileInt(str::APP_TITLE, str::KEY_WINDOW_SHOW_STYLE, m_closedStyle.value_or(GetShowStyle()));
}

// One row per command; the handlers are the members below.
void CMainFrame::CreateCommands()
{
    const auto loaded = [this] { return m_doc.IsLoaded() != 0; };
    const auto savable = [this] { return m_doc.IsLoaded() != 0 && m_doc.IsModified(); };
    // The editing and pane keys are bound as in every program of this family, and lead
    // nowhere: the tool has nothing to edit and only one pane.
    const auto inert = [] {};
    static constexpr const char* kInertPrompt = "Has no effect in Pixloom";
    gui::CommandModel& c = m_commands;

    c.Add({.id = ID_FILE_NEW,
           .prompt = "Close the texture and start with none\nNew",
           .keys = {Qt::CTRL | Qt::Key_N},
           .run = [this] { OnFileNew(); }});
    c.Add(
        {.id = ID_FILE_OPEN, .text = str::FILE_OPEN, .keys = {Qt::CTRL | Qt::Key_O}, .run = [this] { OnFileOpen(); }});
    c.Add(
        {.id = ID_FILE_SAVE, .text = str::FILE_SAVE, .keys = {Qt::CTRL | Qt::Key_S}, .enabled = savable, .run = [this] {
             OnFileSave();
         }});
    c.Add({.id = ID_FILE_SAVE_AS, .text = str::FILE_SAVE_AS, .enabled = savable, .run = [this] { OnFileSaveAs(); }});
    c.Add({.id = ID_FILE_NEW_FROM_IMAGE, .text = str::FILE_NEW_FROM_IMAGE, .run = [this] { OnFileNewFromImage(); }});
    const auto depth = [this, &c, loaded](int id, const char* text, int bpp) {
        c.Add({.id = id,
               .text = text,
               .checkable = true,
               .group = "depth",
               .enabled = loaded,
               .checked = [this, bpp] { return m_doc.IsLoaded() != 0 && m_doc.GetHeader().bpp == bpp; },
               .run = [this, bpp] { OnImageDepth(bpp); }});
    };
    depth(ID_IMAGE_DEPTH_16, str::IMAGE_DEPTH_16, 16);
    depth(ID_IMAGE_DEPTH_24, str::IMAGE_DEPTH_24, 24);
    depth(ID_IMAGE_DEPTH_32, str::IMAGE_DEPTH_32, 32);
    c.Add({.id = ID_FILE_IMPORT, .text = str::FILE_IMPORT, .enabled = loaded, .run = [this] { OnFileImport(); }});
    c.Add({.id = ID_FILE_EXPORT, .text = str::FILE_EXPORT, .enabled = loaded, .run = [this] { OnFileExport(); }});
    // Stands in the File menu for the recent files while there are none.
    c.Add({.id = ID_FILE_MRU_FILE1, .text = str::FILE_RECENT});
    c.Add({.id = ID_APP_EXIT, .text = str::FILE_EXIT, .run = [this] { close(); }});
    c.Add({.id = ID_HEADER_SHOW, .text = str::HEADER_SHOW, .enabled = loaded, .run = [this] { OnHeaderShow(); }});
    c.Add({.id = ID_OPTIONS_BACKGROUND, .text = str::OPTIONS_BACKGROUND, .run = [this] { OnOptionsBackground(); }});
    c.Add({.id = ID_OPTIONS_ASSOCIATE, .text = str::OPTIONS_ASSOCIATE, .run = [this] { OnOptionsAssociate(); }});
    c.Add({.id = ID_APP_ABOUT, .text = str::APP_ABOUT, .run = [this] { OnAppAbout(); }});

    const auto zoomable = [this](int limit) {
        return [this, limit] { return m_doc.IsLoaded() != 0 && m_view->GetZoomLog2() != limit; };
    };
    c.Add({.id = ID_FILE_RELOAD,
           .text = str::FILE_RELOAD,
           .keys = {Qt::Key_F5},
           .enabled = [this] { return m_doc.IsLoaded() != 0 && !m_doc.GetPathName().empty(); },
           .run = [this] { OnFileReload(); }});
    c.Add({.id = ID_VIEW_ZOOM_IN,
           .text = str::VIEW_ZOOM_IN,
           .keys = {Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal},
           .enabled = zoomable(kMaxZoomLog2),
           .run = [this] { m_view->SetZoomLog2(m_view->GetZoomLog2() + 1); }});
    c.Add({.id = ID_VIEW_ZOOM_OUT,
           .text = str::VIEW_ZOOM_OUT,
           .keys = {Qt::CTRL | Qt::Key_Minus},
           .enabled = zoomable(kMinZoomLog2),
           .run = [this] { m_view->SetZoomLog2(m_view->GetZoomLog2() - 1); }});
    c.Add({.id = ID_VIEW_ACTUAL_SIZE,
           .text = str::VIEW_ACTUAL_SIZE,
           .keys = {Qt::CTRL | Qt::Key_0},
           .enabled = zoomable(0),
           .run = [this] { m_view->SetZoomLog2(0); }});
    c.Add({.id = ID_VIEW_FIT_WINDOW,
           .text = str::VIEW_FIT_WINDOW,
           .keys = {Qt::CTRL | Qt::Key_9},
           .enabled = loaded,
           .run = [this] { m_view->FitToWindow(); }});
    const auto channel = [this, &c](int id, const char* text, ViewChannel which) {
        c.Add({.id = id,
               .text = text,
               .checkable = true,
               .group = "channel",
               .checked = [this, which] { return m_view->GetChannel() == which; },
               .run = [this, which] { m_view->SetChannel(which); }});
    };
    channel(ID_VIEW_CHANNEL_RGB, str::VIEW_RGB, ViewChannel::Rgb);
    channel(ID_VIEW_CHANNEL_ALPHA, str::VIEW_ALPHA, ViewChannel::Alpha);
    channel(ID_VIEW_CHANNEL_RED, str::VIEW_RED, ViewChannel::Red);
    channel(ID_VIEW_CHANNEL_GREEN, str::VIEW_GREEN, ViewChannel::Green);
    channel(ID_VIEW_CHANNEL_BLUE, str::VIEW_BLUE, ViewChannel::Blue);
    c.Add({.id = ID_VIEW_ALPHA_TRANSPARENCY,
           .text = str::VIEW_ALPHA_TRANSPARENCY,
           .checkable = true,
           .checked = [this] { return m_view->IsAlphaAsTransparency(); },
           .run = [this] { m_view->SetAlphaAsTransparency(!m_view->IsAlphaAsTransparency()); }});
    c.Add({.id = ID_VIEW_STATUS_BAR,
           .text = str::VIEW_STATUS_BAR,
           .checkable = true,
           .checked = [this] { return !statusBar()->isHidden(); },
           .run = [this] { statusBar()->setVisible(statusBar()->isHidden()); }});

    c.Add({.id = ID_EDIT_UNDO,
           .prompt = kInertPrompt,
           .keys = {Qt::CTRL | Qt::Key_Z, Qt::ALT | Qt::Key_Backspace},
           .run = inert});
    c.Add({.id = ID_EDIT_CUT,
           .prompt = kInertPrompt,
           .keys = {Qt::CTRL | Qt::Key_X, Qt::SHIFT | Qt::Key_Delete},
           .run = inert});
    c.Add({.id = ID_EDIT_COPY,
           .prompt = kInertPrompt,
           .keys = {Qt::CTRL | Qt::Key_C, Qt::CTRL | Qt::Key_Insert},
           .run = inert});
    c.Add({.id = ID_EDIT_PASTE,
           .prompt = kInertPrompt,
           .keys = {Qt::CTRL | Qt::Key_V, Qt::SHIFT | Qt::Key_Insert},
           .run = inert});
    c.Add({.id = ID_NEXT_PANE, .prompt = kInertPrompt, .keys = {Qt::Key_F6}, .run = inert});
    c.Add({.id = ID_PREV_PANE, .prompt = kInertPrompt, .keys = {Qt::SHIFT | Qt::Key_F6}, .run = inert});
}

void CMainFrame::CreateMenus()
{
    const gui::MenuLayout layout = {
        {str::MENU_FILE,
         {ID_FILE_OPEN, ID_FILE_NEW_FROM_IMAGE, ID_FILE_SAVE, ID_FILE_SAVE_AS, gui::kSeparator, ID_FILE_IMPORT,
          ID_FILE_EXPORT, ID_FILE_RELOAD, gui::kSeparator, ID_FILE_MRU_FILE1, gui::kSeparator, ID_APP_EXIT}},
        {str::MENU_HEADER, {ID_HEADER_SHOW}},
        {str::MENU_VIEW,
         {ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_ACTUAL_SIZE, ID_VIEW_FIT_WINDOW, gui::kSeparator,
          ID_VIEW_CHANNEL_RGB, ID_VIEW_CHANNEL_ALPHA, ID_VIEW_CHANNEL_RED, ID_VIEW_CHANNEL_GREEN, ID_VIEW_CHANNEL_BLUE,
          gui::kSeparator, ID_VIEW_ALPHA_TRANSPARENCY, gui::kSeparator, ID_VIEW_STATUS_BAR}},
        {str::MENU_IMAGE, {{str::IMAGE_DEPTH, {ID_IMAGE_DEPTH_16, ID_IMAGE_DEPTH_24, ID_IMAGE_DEPTH_32}}}},
        {str::MENU_OPTIONS, {ID_OPTIONS_BACKGROUND, ID_OPTIONS_ASSOCIATE}},
        {str::MENU_HELP, {ID_APP_ABOUT}},
    };
    m_fileMenu = m_commands.BuildMenuBar(*menuBar(), layout).front();
    m_recentMenu = std::make_unique<gui::RecentFilesMenu>(*m_fileMenu, *m_commands.Action(ID_FILE_MRU_FILE1),
                                                          m_recentFiles, [this](int i) { OnOpenRecentFile(i); });
}

QAction* CMainFrame::GetAction(int id) const
{
    if (QAction* entry = m_recentMenu->Entry(id))
        return entry;
    return m_commands.Action(id);
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
    m_view->OnDocumentChanged();
    UpdateTextureStatus();
    UpdatePixelStatus(-1, -1);
}

void CMainFrame::UpdatePixelStatus(int x, int y)
{
    const texture::TexHeader& h = m_doc.GetHeader();
    if (!m_doc.IsLoaded() || x < 0 || y < 0 || x >= std::min(h.xRes, texture::TEX_MAX_RES) ||
        y >= std::min(h.yRes, texture::TEX_MAX_RES)) {
        m_pixelLabel->clear();
        return;
    }
    const std::uint8_t* p = m_doc.GetPixel(x, y);
    QString text =
        QString(str::STATUS_PIXEL).arg(x).arg(y).arg(p[2]).arg(p[1]).arg(p[0]).arg(DisplayAlpha(h.bpp, p[3]));
    if (h.bpp == 16)
        text += QString(str::STATUS_WORD)
                    .arg(QString::number(texture::EncodeTex16(p), 16).rightJustified(4, '0').toUpper());
    m_pixelLabel->setText(text);
}

void CMainFrame::UpdateTextureStatus()
{
    if (!m_doc.IsLoaded()) {
        m_textureLabel->clear();
        return;
    }
    const texture::TexHeader& h = m_doc.GetHeader();
    // Locale-free: the zoom is one of a few fixed steps.
    const double percent = std::ldexp(100.0, m_view->GetZoomLog2());
    m_textureLabel->setText(
        QString(str::STATUS_TEXTURE).arg(h.xRes).arg(h.yRes).arg(h.bpp).arg(QString::number(percent, 'g', 6)));
}

void CMainFrame::OnFileReload()
{
    if (!m_doc.IsLoaded() || m_doc.GetPathName().empty())
        return;
    OpenDocumentFile(FromDocPath(m_doc.GetPathName()));
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
    if (ok) {
        m_recentFiles.Add(full);
        m_recentMenu->Rebuild();
    }
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
    options.filter = str::EXPORT_FILTER;
    options.overwritePrompt = true;
    const std::optional<QString> chosen = m_prompt.GetSaveFileName(options);
    if (!chosen)
        return;

    gui::WaitCursor wait;
    CPromptOverWaitCursor prompt(m_prompt);
    const std::filesystem::path path = ToDocPath(*chosen);
    if (interchange::IsPngName(path))
        interchange::ExportTexturePng(m_doc, path).Report(prompt);
    else
        m_doc.ExportTarga(path, prompt);
}

void CMainFrame::OnFileImport()
{
    if (!m_doc.IsLoaded())
        return;
    gui::FileDialogOptions options = TargaDialogOptions();
    options.filter = str::IMPORT_FILTER;
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
        check = interchange::CheckImageFile(m_doc, path);
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

void CMainFrame::OnFileNewFromImage()
{
    gui::FileDialogOptions options;
    options.filter = str::NEW_FROM_IMAGE_FILTER;
    options.fileMustExist = true;
    if (std::optional<QString> path = m_prompt.GetOpenFileName(options))
        NewFromImageFile(*path);
}

void CMainFrame::NewFromImageFile(const QString& path)
{
    // First, since saving reuses the buffer the check below refers to.
    if (!SaveModified())
        return;
    texture::TargaCheck check;
    {
        gui::WaitCursor wait;
        check = interchange::CheckNewImageFile(m_doc, ToDocPath(QFileInfo(path).absoluteFilePath()));
    }
    if (!check.result.Ok()) {
        check.result.Report(m_prompt);
        return;
    }
    const int proposed = texture::HasPartialAlpha(check) ? 32 : 24;
    const std::optional<int> bpp =
        m_chooseDepth(static_cast<int>(check.width), static_cast<int>(check.height), proposed);
    if (!bpp)
        return;
    texture::TexResult made;
    {
        gui::WaitCursor wait;
        made = m_doc.NewFromImage(check, *bpp);
    }
    made.Report(m_prompt);
    OnDocumentChanged();
}

void CMainFrame::OnImageDepth(int bpp)
{
    if (!m_doc.IsLoaded() || m_doc.GetHeader().bpp == bpp) {
        UpdateActions();
        return;
    }
    const texture::DepthLoss loss = m_doc.DepthChangeLoss(bpp);
    if (loss != texture::DepthLoss::None) {
        const QString question =
            QString(loss == texture::DepthLoss::Precision ? str::ASK_DEPTH_PRECISION : str::ASK_DEPTH_ALPHA).arg(bpp) +
            (m_doc.GetPathName().empty() ? str::ASK_DEPTH_UNSAVED : str::ASK_DEPTH_RELOAD);
        if (!m_prompt.AskYesNo(question.toStdString(), common::MessageIcon::Exclamation)) {
            // The radio mark goes back to the depth the texture kept.
            UpdateActions();
            return;
        }
    }
    m_doc.ChangeDepth(bpp).Report(m_prompt);
    OnDocumentChanged();
}

void CMainFrame::OnDropFile(const QString& path)
{
    if (IsTexName(path)) {
        OpenDocumentFile(path);
        return;
    }
    if (!m_doc.IsLoaded()) {
        NewFromImageFile(path);
        return;
    }
    const QString question = QString(str::ASK_IMPORT_DROPPED).arg(QFileInfo(path).fileName());
    if (!m_prompt.AskYesNo(question.toStdString(), common::MessageIcon::None))
        return;
    ImportTargaAsking(ToDocPath(path));
    OnDocumentChanged();
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

bool CMainFrame::OpenDocumentFile(const QString& path, bool* cancelled)
{
    if (cancelled)
        *cancelled = false;
    if (!SaveModified()) {
        if (cancelled)
            *cancelled = true;
        return false;
    }

    const QString full = QFileInfo(path).absoluteFilePath();
    bool ok;
    {
        gui::WaitCursor wait;
        CPromptOverWaitCursor prompt(m_prompt);
        ok = m_doc.OnOpenDocument(ToDocPath(full), prompt);
    }
    if (ok) {
        m_recentFiles.Add(full);
        m_recentMenu->Rebuild();
    } else if (!m_doc.IsLoaded()) {
        // The user already chose not to keep any changes, and nothing is left on show that
        // a save could store: there is nothing to ask about at exit.
        m_doc.SetModifiedFlag(false);
    }
    OnDocumentChanged();
    return ok;
}

void CMainFrame::OnFileNew()
{
    if (!SaveModified())
        return;
    m_doc.OnNewDocument();
    OnDocumentChanged();
}

void CMainFrame::OnFileOpen()
{
    gui::FileDialogOptions options;
    options.filter = texture::msg::TEX_FILTER;
    options.fileMustExist = true;
    if (std::optional<QString> path = m_prompt.GetOpenFileName(options))
        OpenDocumentFile(*path);
}

void CMainFrame::OnOpenRecentFile(int index)
{
    const QStringList& files = m_recentFiles.Files();
    if (index < 0 || index >= files.size())
        return;
    const QString path = files[index];
    // A file that no longer opens leaves the list; one the user merely did not get to
    // (cancelled at the save question) stays.
    bool cancelled = false;
    if (!OpenDocumentFile(path, &cancelled) && !cancelled) {
        m_recentFiles.Remove(path);
        m_recentMenu->Rebuild();
    }
}

void CMainFrame::OnAppAbout()
{
    CPixloomAboutDlg dlg(this);
    dlg.exec();
}

} // namespace pixloom
