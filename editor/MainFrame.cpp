#include "MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "Commands.h"
#include "EditorStrings.h"
#include "Icons.h"
#include "DialogCommands.h"
#include "LockKeys.h"
#include "PerspectiveStrings.h"
#include "PerspectiveView.h"
#include "QM4EditTreeView.h"
#include "QM4EditView.h"
#include "gui/FileAssocDlg.h"
#include "gui/GuiPrompt.h"
#include "gui/Settings.h"
#include "gui/WaitCursor.h"

namespace qm4edit {

namespace {

constexpr int kTreePaneWidth = 150;
constexpr int kSplitKeyStep = 8;
constexpr int kRecentFileCount = 4;

QString StatusPart(const char* prompt)
{
    if (!prompt)
        return {};
    const QString p = QString::fromUtf8(prompt);
    const qsizetype nl = p.indexOf('\n');
    return nl < 0 ? p : p.left(nl);
}

QString TipPart(const char* prompt)
{
    if (!prompt)
        return {};
    const QString p = QString::fromUtf8(prompt);
    const qsizetype nl = p.indexOf('\n');
    return nl < 0 ? QString() : p.mid(nl + 1);
}

QList<QKeySequence> ShortcutsOf(int id)
{
    switch (id) {
    case ID_FILE_NEW: return {QKeySequence(Qt::CTRL | Qt::Key_N)};
    case ID_FILE_OPEN: return {QKeySequence(Qt::CTRL | Qt::Key_O)};
    case ID_FILE_SAVE: return {QKeySequence(Qt::CTRL | Qt::Key_S)};
    case ID_EDIT_UNDO: return {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)};
    case ID_EDIT_CUT: return {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)};
    case ID_EDIT_COPY: return {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)};
    case ID_EDIT_PASTE: return {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)};
    case ID_NEXT_PANE: return {QKeySequence(Qt::Key_F6)};
    case ID_PREV_PANE: return {QKeySequence(Qt::SHIFT | Qt::Key_F6)};
    default: return {};
    }
}

std::filesystem::path ToFsPath(const QString& path)
{
    return common::PathFromUtf8(path.toStdString());
}

} // namespace

CMainFrame::CMainFrame(scene::CQM4EditDoc& doc, gui::IGuiPrompt& prompt, gui::RecentFileList& recentFiles,
                       QWidget* parent)
    : QMainWindow(parent), m_doc(doc), m_prompt(prompt), m_recentFiles(recentFiles)
{
    m_dialogRunner = [](QDialog& dialog) { return dialog.exec(); };
    setWindowIcon(ProgramIcon());
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateClient();
    m_doc.AddObserver(this);
    qApp->installEventFilter(this);
    resize(800, 600);
    UpdateTitle();
    UpdateActions();
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
    m_doc.RemoveObserver(this);
    EndSplitMode(true);
    // The panes go first, while the frame is still whole: nothing they signal on the way out
    // reaches a half-destroyed frame. The viewport saves its colours here.
    disconnect(m_pTreeView, nullptr, this, nullptr);
    m_pSceneView->SetSelection(nullptr);
    if (m_pPerspectiveView) {
        disconnect(m_pPerspectiveView, nullptr, this, nullptr);
        m_pPerspectiveView->SetSelection(nullptr);
    }
    delete m_wndSplitter;
    m_wndSplitter = nullptr;
    m_pTreeView = nullptr;
    m_pSceneView = nullptr;
}

// ---------------------------------------------------------------------------------------
// Building the window

QAction* CMainFrame::MakeAction(int id)
{
    const CommandInfo* info = FindCommand(id);
    auto* action = new QAction(QString::fromUtf8(info->menuText), this);
    action->setData(id);
    action->setStatusTip(StatusPart(info->prompt));
    const QString tip = TipPart(info->prompt);
    if (!tip.isEmpty())
        action->setToolTip(tip);
    const QList<QKeySequence> keys = ShortcutsOf(id);
    if (!keys.isEmpty())
        action->setShortcuts(keys);
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    m_actions[id] = action;
    return action;
}

void CMainFrame::CreateActions()
{
    for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_IMPORT, ID_FILE_EXPORT,
                   ID_OVERLAY_ALP, ID_OVERLAY_REC, ID_APP_EXIT, ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY,
                   ID_EDIT_PASTE, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_WINDOW_SPLIT, ID_VIEW_TOP, ID_VIEW_FRONT,
                   ID_VIEW_SIDE, ID_VIEW_ZOOMIN, ID_VIEW_ZOOMOUT, ID_VIEW_RESET, ID_OPTIONS_PRIMARYCOLOR,
                   ID_OPTIONS_SECONDARYCOLOR1, ID_OPTIONS_SECONDARYCOLOR2, ID_OPTIONS_HIGHLIGHTCOLOR,
                   ID_OPTIONS_OVERLAYCOLOR, ID_OPTIONS_ASSOCIATIONS, ID_APP_ABOUT, ID_NEXT_PANE, ID_PREV_PANE,
                   ID_VIEW_PERSPECTIVE, ID_VIEW_FLIPTEXTUREV})
        MakeAction(id);
    for (int id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_TOP, ID_VIEW_FRONT, ID_VIEW_SIDE, ID_VIEW_PERSPECTIVE,
                   ID_VIEW_FLIPTEXTUREV})
        m_actions[id]->setCheckable(true);
    for (int id : {ID_FILE_OPEN, ID_FILE_SAVE, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_VIEW_ZOOMIN,
                   ID_VIEW_ZOOMOUT, ID_VIEW_TOP, ID_VIEW_FRONT, ID_VIEW_SIDE, ID_VIEW_PERSPECTIVE, ID_VIEW_RESET}) {
        m_actions[id]->setIcon(ToolbarIcon(id));
        // Images belong to the toolbar; menu items keep plain text and their check marks.
        m_actions[id]->setIconVisibleInMenu(false);
    }
    // Commands reached only from the keyboard live on the window itself.
    addAction(m_actions[ID_FILE_NEW]);
    addAction(m_actions[ID_NEXT_PANE]);
    addAction(m_actions[ID_PREV_PANE]);
}

void CMainFrame::CreateMenus()
{
    QMenuBar* bar = menuBar();
    auto menu = [this](QMenu* m) {
        connect(m, &QMenu::aboutToShow, this, &CMainFrame::UpdateActions);
        return m;
    };

    m_pFileMenu = menu(bar->addMenu(QString(MENU_FILE)));
    m_pFileMenu->addAction(m_actions[ID_FILE_OPEN]);
    m_pFileMenu->addAction(m_actions[ID_FILE_SAVE]);
    m_pFileMenu->addAction(m_actions[ID_FILE_SAVE_AS]);
    m_pFileMenu->addSeparator();
    m_pFileMenu->addAction(m_actions[ID_FILE_IMPORT]);
    m_pFileMenu->addAction(m_actions[ID_FILE_EXPORT]);
    m_pFileMenu->addSeparator();
    QMenu* overlay = menu(m_pFileMenu->addMenu(QString(MENU_OVERLAY)));
    overlay->addAction(m_actions[ID_OVERLAY_ALP]);
    overlay->addAction(m_actions[ID_OVERLAY_REC]);
    m_pFileMenu->addSeparator();
    m_pRecentAnchor = m_pFileMenu->addSeparator();
    m_pFileMenu->addAction(m_actions[ID_APP_EXIT]);
    connect(m_pFileMenu, &QMenu::aboutToShow, this, &CMainFrame::RebuildRecentFileMenu);
    RebuildRecentFileMenu();

    QMenu* edit = menu(bar->addMenu(QString(MENU_EDIT)));
    edit->addAction(m_actions[ID_EDIT_UNDO]);
    edit->addSeparator();
    edit->addAction(m_actions[ID_EDIT_CUT]);
    edit->addAction(m_actions[ID_EDIT_COPY]);
    edit->addAction(m_actions[ID_EDIT_PASTE]);

    QMenu* view = menu(bar->addMenu(QString(MENU_VIEW)));
    QMenu* controls = menu(view->addMenu(QString(MENU_CONTROLS)));
    controls->addAction(m_actions[ID_VIEW_TOOLBAR]);
    controls->addAction(m_actions[ID_VIEW_STATUS_BAR]);
    controls->addAction(m_actions[ID_WINDOW_SPLIT]);
    view->addSeparator();
    view->addAction(m_actions[ID_VIEW_TOP]);
    view->addAction(m_actions[ID_VIEW_FRONT]);
    view->addAction(m_actions[ID_VIEW_SIDE]);
    view->addAction(m_actions[ID_VIEW_PERSPECTIVE]);
    view->addSeparator();
    view->addAction(m_actions[ID_VIEW_ZOOMIN]);
    view->addAction(m_actions[ID_VIEW_ZOOMOUT]);
    view->addSeparator();
    view->addAction(m_actions[ID_VIEW_RESET]);
    view->addSeparator();
    view->addAction(m_actions[ID_VIEW_FLIPTEXTUREV]);

    QMenu* options = menu(bar->addMenu(QString(MENU_OPTIONS)));
    options->addAction(m_actions[ID_OPTIONS_PRIMARYCOLOR]);
    options->addAction(m_actions[ID_OPTIONS_SECONDARYCOLOR1]);
    options->addAction(m_actions[ID_OPTIONS_SECONDARYCOLOR2]);
    options->addAction(m_actions[ID_OPTIONS_HIGHLIGHTCOLOR]);
    options->addAction(m_actions[ID_OPTIONS_OVERLAYCOLOR]);
    options->addAction(m_actions[ID_OPTIONS_ASSOCIATIONS]);

    QMenu* help = menu(bar->addMenu(QString(MENU_HELP)));
    help->addAction(m_actions[ID_APP_ABOUT]);
}

void CMainFrame::CreateToolBar()
{
    m_wndToolBar = addToolBar(QString());
    m_wndToolBar->setObjectName("AFX_IDW_TOOLBAR");
    m_wndToolBar->setIconSize(QSize(16, 16));
    m_wndToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    // Its own show/hide menu item stands in the View menu; no extra one in the context menu.
    m_wndToolBar->toggleViewAction()->setVisible(false);
    connect(m_wndToolBar, &QToolBar::visibilityChanged, this, &CMainFrame::UpdateActions);
    for (int id : {ID_FILE_OPEN, ID_FILE_SAVE, ID_SEPARATOR, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_SEPARATOR,
                   ID_VIEW_ZOOMIN, ID_VIEW_ZOOMOUT, ID_SEPARATOR, ID_VIEW_TOP, ID_VIEW_FRONT, ID_VIEW_SIDE,
                   ID_VIEW_PERSPECTIVE, ID_SEPARATOR, ID_VIEW_RESET}) {
        if (id == ID_SEPARATOR)
            m_wndToolBar->addSeparator();
        else
            m_wndToolBar->addAction(m_actions[id]);
    }
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName("AFX_IDW_STATUS_BAR");
    // A normal widget: command prompts cover it while shown and it comes back afterwards.
    m_pMessagePane = new QLabel(QString(STATUS_READY), bar);
    bar->addWidget(m_pMessagePane, 1);
    const char* texts[3] = {INDICATOR_CAPS, INDICATOR_NUM, INDICATOR_SCRL};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(bar);
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QString(texts[i])) + 10);
        bar->addPermanentWidget(label);
        m_pIndicators[i] = label;
    }
    UpdateIndicators();
}

void CMainFrame::CreateClient()
{
    m_wndSplitter = new QSplitter(Qt::Horizontal, this);
    m_wndSplitter->setObjectName("AFX_IDW_PANE_FIRST");
    m_wndSplitter->setChildrenCollapsible(true);
    m_pTreeView = new CQM4EditTreeView(m_wndSplitter);
    m_pTreeView->SetDocument(&m_doc);
    m_pSceneView = new CQM4EditView(m_doc, m_wndSplitter);
    m_pSceneView->SetSelection(this);
    m_pViewStack = new QStackedWidget(m_wndSplitter);
    m_pViewStack->addWidget(m_pSceneView);
    m_strNoPerspective = CPerspectiveView::OpenGLUnavailableReason();
    if (m_strNoPerspective.isEmpty()) {
        m_pPerspectiveView = new CPerspectiveView(m_doc, m_pViewStack);
        m_pPerspectiveView->SetSelection(this);
        m_pPerspectiveView->SetFlipTextureV(gui::ReadProfileInt(APP_TITLE, KEY_FLIP_TEXTURE_V, 0) != 0);
        m_pViewStack->addWidget(m_pPerspectiveView);
        connect(m_pPerspectiveView, &CPerspectiveView::StatusMessage, this,
                [this](const QString& text) { statusBar()->showMessage(text); });
    } else {
        const QString why = QString(PERSPECTIVE_UNAVAILABLE).arg(m_strNoPerspective);
        m_actions[ID_VIEW_PERSPECTIVE]->setStatusTip(why);
        m_actions[ID_VIEW_PERSPECTIVE]->setToolTip(why);
        statusBar()->showMessage(why);
    }
    // P is a key of the views: it acts only while one of them has the focus.
    auto* perspectiveKey = new QShortcut(QKeySequence(Qt::Key_P), m_pViewStack, nullptr, nullptr,
                                         Qt::WidgetWithChildrenShortcut);
    connect(perspectiveKey, &QShortcut::activated, this, [this] {
        if (m_actions[ID_VIEW_PERSPECTIVE]->isEnabled())
            OnCommand(ID_VIEW_PERSPECTIVE);
    });
    m_wndSplitter->addWidget(m_pTreeView);
    m_wndSplitter->addWidget(m_pViewStack);
    m_wndSplitter->setStretchFactor(0, 0);
    m_wndSplitter->setStretchFactor(1, 1);
    m_pTreeView->setMinimumWidth(0);
    m_pSceneView->setMinimumWidth(0);
    m_pViewStack->setMinimumWidth(0);
    setCentralWidget(m_wndSplitter);

    connect(m_pTreeView, &CQM4EditTreeView::RefreshTreeRequested, this, &CMainFrame::RefreshTree);
    connect(m_pTreeView, &CQM4EditTreeView::RedrawSceneViewRequested, this, &CMainFrame::RedrawSceneView);
    connect(m_pTreeView, &CQM4EditTreeView::EditVertexRequested, this, &CMainFrame::ShowEditVertexDialog);
    connect(m_pTreeView, &CQM4EditTreeView::ObjectInfoRequested, this, &CMainFrame::ShowObjectInfoDialog);
    connect(m_pTreeView, &CQM4EditTreeView::PolygonInfoRequested, this, &CMainFrame::ShowPolygonInfoDialog);
    connect(m_pTreeView, &CQM4EditTreeView::ExportObjectRequested, this, &CMainFrame::ExportObjectCsv);
    connect(m_pTreeView, &CQM4EditTreeView::ExportPolygonRequested, this, &CMainFrame::ExportPolygonCsv);
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_bSizedSplitter) {
        // The tree pane opens 150 pixels wide; the viewport takes the rest.
        m_bSizedSplitter = true;
        const int rest = std::max(0, m_wndSplitter->width() - kTreePaneWidth - m_wndSplitter->handleWidth());
        m_wndSplitter->setSizes({kTreePaneWidth, rest});
    }
}

QAction* CMainFrame::Action(int id) const
{
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::RebuildRecentFileMenu()
{
    for (QAction* a : m_recentActions) {
        m_pFileMenu->removeAction(a);
        a->deleteLater();
    }
    m_recentActions.clear();
    const QStringList& files = m_recentFiles.Files();
    const QString prompt = StatusPart(FindCommand(ID_FILE_MRU_FILE1)->prompt);
    if (files.isEmpty()) {
        auto* placeholder = new QAction(QString(FindCommand(ID_FILE_MRU_FILE1)->menuText), this);
        placeholder->setData(int(ID_FILE_MRU_FILE1));
        placeholder->setEnabled(false);
        m_pFileMenu->insertAction(m_pRecentAnchor, placeholder);
        m_recentActions.push_back(placeholder);
        return;
    }
    for (int i = 0; i < files.size() && i < kRecentFileCount; ++i) {
        auto* action = new QAction(m_recentFiles.MenuText(i), this);
        action->setData(int(ID_FILE_MRU_FILE1) + i);
        action->setStatusTip(prompt);
        connect(action, &QAction::triggered, this, [this, i] { OnOpenRecentFile(i); });
        m_pFileMenu->insertAction(m_pRecentAnchor, action);
        m_recentActions.push_back(action);
    }
}

// ---------------------------------------------------------------------------------------
// State of the commands, title and indicators

void CMainFrame::UpdateActions()
{
    const bool loaded = m_doc.IsLoaded();
    const bool modified = m_doc.IsModified();
    m_actions[ID_FILE_SAVE]->setEnabled(loaded && modified);
    m_actions[ID_FILE_SAVE_AS]->setEnabled(loaded && modified);
    for (int id : {ID_FILE_IMPORT, ID_FILE_EXPORT, ID_VIEW_ZOOMIN, ID_VIEW_ZOOMOUT, ID_VIEW_RESET})
        m_actions[id]->setEnabled(loaded);
    const int projection = IsPerspective() ? -1 : m_pSceneView->GetProjection();
    const int views[3] = {ID_VIEW_TOP, ID_VIEW_FRONT, ID_VIEW_SIDE};
    for (int p = 0; p < 3; ++p) {
        m_actions[views[p]]->setEnabled(loaded);
        m_actions[views[p]]->setChecked(projection == p);
    }
    m_actions[ID_VIEW_PERSPECTIVE]->setEnabled(loaded && m_pPerspectiveView);
    m_actions[ID_VIEW_PERSPECTIVE]->setChecked(IsPerspective());
    m_actions[ID_VIEW_FLIPTEXTUREV]->setEnabled(m_pPerspectiveView != nullptr);
    m_actions[ID_VIEW_FLIPTEXTUREV]->setChecked(m_pPerspectiveView && m_pPerspectiveView->FlipTextureV());
    // Nothing handles these commands.
    for (int id : {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE})
        m_actions[id]->setEnabled(false);
    m_actions[ID_VIEW_TOOLBAR]->setChecked(!m_wndToolBar->isHidden());
    m_actions[ID_VIEW_STATUS_BAR]->setChecked(!statusBar()->isHidden());
    UpdateIndicators();
}

void CMainFrame::UpdateIndicators()
{
    const LockKeyState keys = QueryLockKeys();
    const bool on[3] = {keys.caps, keys.num, keys.scroll};
    const char* texts[3] = {INDICATOR_CAPS, INDICATOR_NUM, INDICATOR_SCRL};
    for (int i = 0; i < 3; ++i) {
        const QString text = on[i] ? QString(texts[i]) : QString();
        if (m_pIndicators[i] && m_pIndicators[i]->text() != text)
            m_pIndicators[i]->setText(text);
    }
}

QString CMainFrame::DocumentTitle() const
{
    return m_strPathName.isEmpty() ? QString(UNTITLED) : QFileInfo(m_strPathName).fileName();
}

void CMainFrame::UpdateTitle()
{
    setWindowTitle(DocumentTitle() + "[*] - " + APP_TITLE);
    setWindowModified(m_doc.IsModified());
}

void CMainFrame::UpdateAllViews()
{
    m_pSceneView->OnUpdate();
    if (m_pPerspectiveView)
        m_pPerspectiveView->OnUpdate();
    UpdateActions();
}

void CMainFrame::ModifiedChanged(bool)
{
    UpdateTitle();
    UpdateActions();
}

// ---------------------------------------------------------------------------------------
// Documents

bool CMainFrame::SaveModified()
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

void CMainFrame::AfterDocumentChanged()
{
    UpdateTitle();
    m_pTreeView->OnInitialUpdate();
    m_pSceneView->OnUpdate();
    if (m_pPerspectiveView)
        m_pPerspectiveView->SetScene(m_strPathName.isEmpty() ? std::filesystem::path()
                                                             : ToFsPath(QFileInfo(m_strPathName).absolutePath()));
    if (!m_doc.IsLoaded())
        ShowPerspective(false);
    UpdateActions();
}

OpenOutcome CMainFrame::OpenDocumentFile(const QString& path)
{
    if (!SaveModified())
        return OpenOutcome::Cancelled;
    const QString absolute = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    scene::LoadResult result;
    {
        gui::WaitCursor wait;
        result = m_doc.OnOpenDocument(ToFsPath(absolute));
    }
    result.Report(m_prompt);
    if (result.status == scene::LoadStatus::NotOpened) {
        // The document keeps its name; its scene may have been emptied if reading began.
        m_pSceneView->OnUpdate();
        UpdateTitle();
        UpdateActions();
        return OpenOutcome::Failed;
    }
    // A file that opened but held no valid scene still counts as opened: it takes the
    // window title and joins the recent files, with an empty scene.
    m_strPathName = absolute;
    m_recentFiles.Add(absolute);
    RebuildRecentFileMenu();
    AfterDocumentChanged();
    return OpenOutcome::Opened;
}

bool CMainFrame::NewDocument()
{
    if (!SaveModified())
        return false;
    if (!m_doc.OnNewDocument())
        return false;
    m_strPathName.clear();
    AfterDocumentChanged();
    return true;
}

bool CMainFrame::DoFileSave()
{
    if (m_strPathName.isEmpty())
        return DoSaveAs();
    scene::SaveResult result;
    {
        gui::WaitCursor wait;
        result = m_doc.OnSaveDocument(ToFsPath(m_strPathName));
    }
    result.Report(m_prompt);
    UpdateTitle();
    UpdateActions();
    return result.ok;
}

bool CMainFrame::DoSaveAs()
{
    gui::FileDialogOptions options;
    options.filter = QString(scene::QM4_FILTER);
    options.defaultExt = QString(scene::QM4_EXTENSION).mid(1);
    options.overwritePrompt = true;
    const std::optional<QString> chosen = m_prompt.GetSaveFileName(options);
    if (!chosen || chosen->isEmpty())
        return false;
    const QString absolute = QDir::toNativeSeparators(QFileInfo(*chosen).absoluteFilePath());
    scene::SaveResult result;
    {
        gui::WaitCursor wait;
        result = m_doc.OnSaveDocument(ToFsPath(absolute));
    }
    result.Report(m_prompt);
    // A failed save leaves no new file behind and whatever was there untouched, so there is
    // nothing to delete; the document keeps its old name.
    if (result.ok) {
        m_strPathName = absolute;
        m_recentFiles.Add(absolute);
        RebuildRecentFileMenu();
    }
    UpdateTitle();
    UpdateActions();
    return result.ok;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_bSplitMode)
        EndSplitMode(true);
    if (SaveModified())
        event->accept();
    else
        event->ignore();
}

// ---------------------------------------------------------------------------------------
// Commands

void CMainFrame::OnCommand(int id)
{
    switch (id) {
    case ID_FILE_NEW: NewDocument(); break;
    case ID_FILE_OPEN: OnFileOpen(); break;
    case ID_FILE_SAVE: DoFileSave(); break;
    case ID_FILE_SAVE_AS: DoSaveAs(); break;
    case ID_FILE_IMPORT: OnFileImport(); break;
    case ID_FILE_EXPORT: OnFileExport(); break;
    case ID_OVERLAY_ALP:
    case ID_OVERLAY_REC:
    case ID_OPTIONS_OVERLAYCOLOR:
        // Kept in the menus; they have never done anything.
        break;
    case ID_APP_EXIT: close(); break;
    case ID_VIEW_TOOLBAR: m_wndToolBar->setVisible(m_wndToolBar->isHidden()); break;
    case ID_VIEW_STATUS_BAR: statusBar()->setVisible(statusBar()->isHidden()); break;
    case ID_WINDOW_SPLIT: OnWindowSplit(); break;
    case ID_VIEW_TOP: ShowPerspective(false); m_pSceneView->SetProjection(0); break;
    case ID_VIEW_FRONT: ShowPerspective(false); m_pSceneView->SetProjection(1); break;
    case ID_VIEW_SIDE: ShowPerspective(false); m_pSceneView->SetProjection(2); break;
    case ID_VIEW_PERSPECTIVE: ShowPerspective(true); break;
    case ID_VIEW_FLIPTEXTUREV: OnFlipTextureV(); break;
    case ID_VIEW_ZOOMIN: IsPerspective() ? m_pPerspectiveView->ZoomIn() : m_pSceneView->ZoomIn(); break;
    case ID_VIEW_ZOOMOUT: IsPerspective() ? m_pPerspectiveView->ZoomOut() : m_pSceneView->ZoomOut(); break;
    case ID_VIEW_RESET: ShowPerspective(false); m_pSceneView->ResetView(); break;
    case ID_OPTIONS_PRIMARYCOLOR:
    case ID_OPTIONS_SECONDARYCOLOR1:
    case ID_OPTIONS_SECONDARYCOLOR2:
    case ID_OPTIONS_HIGHLIGHTCOLOR: OnColor(id); break;
    case ID_OPTIONS_ASSOCIATIONS: gui::RunFileAssocDialog(this, gui::AssocProgram::QM4Edit, m_prompt); break;
    case ID_APP_ABOUT: OnAppAbout(); break;
    case ID_NEXT_PANE: OnNextPane(true); break;
    case ID_PREV_PANE: OnNextPane(false); break;
    default: break;
    }
    UpdateActions();
}

void CMainFrame::OnFileOpen()
{
    gui::FileDialogOptions options;
    options.filter = QString(scene::QM4_FILTER);
    options.fileMustExist = true;
    const std::optional<QString> chosen = m_prompt.GetOpenFileName(options);
    if (chosen && !chosen->isEmpty())
        OpenDocumentFile(*chosen);
}

void CMainFrame::OnOpenRecentFile(int index)
{
    const QStringList& files = m_recentFiles.Files();
    if (index < 0 || index >= files.size())
        return;
    const QString path = files[index];
    if (OpenDocumentFile(path) == OpenOutcome::Failed) {
        // A file that is gone does not stay in the list.
        m_recentFiles.Remove(path);
        RebuildRecentFileMenu();
    }
}

void CMainFrame::OnFileImport()
{
    const QString status = qm4edit::ImportCsv(CommandContext{m_doc, m_prompt, m_dialogRunner, this},
                                              m_pTreeView->GetSelectedKind(), m_pTreeView->GetSelectedData());
    if (!status.isEmpty())
        statusBar()->showMessage(status);
}

void CMainFrame::OnFileExport()
{
    const QString status = qm4edit::ExportCsv(CommandContext{m_doc, m_prompt, m_dialogRunner, this},
                                              m_pTreeView->GetSelectedKind(), m_pTreeView->GetSelectedData());
    if (!status.isEmpty())
        statusBar()->showMessage(status);
}

void CMainFrame::OnColor(int id)
{
    CQM4EditView& view = *m_pSceneView;
    std::uint32_t initial = 0;
    switch (id) {
    case ID_OPTIONS_PRIMARYCOLOR: initial = view.GetMainColor(); break;
    case ID_OPTIONS_SECONDARYCOLOR1: initial = view.GetExtraColor1(); break;
    case ID_OPTIONS_SECONDARYCOLOR2: initial = view.GetExtraColor2(); break;
    default: initial = view.GetHiliteColor(); break;
    }
    const std::optional<std::uint32_t> chosen = m_prompt.ChooseColor(initial);
    if (!chosen)
        return;
    switch (id) {
    case ID_OPTIONS_PRIMARYCOLOR: view.SetMainColor(*chosen); break;
    case ID_OPTIONS_SECONDARYCOLOR1: view.SetExtraColor1(*chosen); break;
    case ID_OPTIONS_SECONDARYCOLOR2: view.SetExtraColor2(*chosen); break;
    default: view.SetHiliteColor(*chosen); break;
    }
    if (m_pPerspectiveView)
        m_pPerspectiveView->SetHiliteColor(view.GetHiliteColor());
}

void CMainFrame::OnAppAbout()
{
    QDialog dialog(this);
    dialog.setObjectName("IDD_ABOUTBOX");
    dialog.setWindowTitle(QString(ABOUT_CAPTION));
    auto* icon = new QLabel(&dialog);
    icon->setObjectName("icon");
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    auto* text = new QLabel(QString(ABOUT_TEXT), &dialog);
    text->setObjectName("version");
    auto* ok = new QPushButton(QString(ABOUT_OK), &dialog);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addWidget(text, 1);
    row->addWidget(ok, 0, Qt::AlignTop);
    dialog.setLayout(row);
    RunDialog(dialog);
}

void CMainFrame::OnNextPane(bool)
{
    // With two panes the next and the previous one are the same.
    QWidget* focus = QApplication::focusWidget();
    const bool inTree = focus && (focus == m_pTreeView || m_pTreeView->isAncestorOf(focus));
    if (inTree)
        ActiveSceneView()->setFocus(Qt::ShortcutFocusReason);
    else
        m_pTreeView->setFocus(Qt::ShortcutFocusReason);
}

void CMainFrame::OnWindowSplit()
{
    if (m_bSplitMode)
        return;
    m_bSplitMode = true;
    m_splitSizesBefore = m_wndSplitter->sizes();
    QApplication::setOverrideCursor(Qt::SplitHCursor);
}

bool CMainFrame::SplitModeKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        QList<int> sizes = m_wndSplitter->sizes();
        if (sizes.size() == 2) {
            const int total = sizes[0] + sizes[1];
            const int step = key == Qt::Key_Left ? -kSplitKeyStep : kSplitKeyStep;
            sizes[0] = std::clamp(sizes[0] + step, 0, total);
            sizes[1] = total - sizes[0];
            m_wndSplitter->setSizes(sizes);
        }
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter: EndSplitMode(true); return true;
    case Qt::Key_Escape: EndSplitMode(false); return true;
    default: return true; // the mode swallows every other key
    }
}

void CMainFrame::EndSplitMode(bool keep)
{
    if (!m_bSplitMode)
        return;
    m_bSplitMode = false;
    if (!keep)
        m_wndSplitter->setSizes(m_splitSizesBefore);
    QApplication::restoreOverrideCursor();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (m_bSplitMode)
            return SplitModeKey(static_cast<QKeyEvent*>(event)->key());
        break;
    case QEvent::KeyRelease:
        UpdateIndicators();
        break;
    case QEvent::MouseButtonPress:
        if (m_bSplitMode)
            EndSplitMode(true);
        break;
    case QEvent::WindowActivate:
        if (watched == this)
            UpdateIndicators();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------
// Mediator

void CMainFrame::ClearTree()
{
    m_pTreeView->ClearTree();
}

void CMainFrame::AddObjectToTree(int objectIndex, const scene::ObjectRecord& record)
{
    m_pTreeView->AddObject(objectIndex, record);
}

void CMainFrame::RefreshTree()
{
    m_doc.RefreshTree();
}

void CMainFrame::RedrawSceneView()
{
    m_pSceneView->Redraw();
    if (m_pPerspectiveView)
        m_pPerspectiveView->Redraw();
}

// ---------------------------------------------------------------------------------------
// The perspective view

bool CMainFrame::IsPerspective() const
{
    return m_pPerspectiveView && m_pViewStack->currentWidget() == m_pPerspectiveView;
}

QWidget* CMainFrame::ActiveSceneView() const
{
    return m_pViewStack->currentWidget();
}

void CMainFrame::ShowPerspective(bool on)
{
    if (!m_pPerspectiveView || on == IsPerspective())
        return;
    const bool hadFocus = ActiveSceneView()->hasFocus();
    if (on)
        m_pPerspectiveView->SetHiliteColor(m_pSceneView->GetHiliteColor());
    m_pViewStack->setCurrentWidget(on ? static_cast<QWidget*>(m_pPerspectiveView) : m_pSceneView);
    if (hadFocus)
        ActiveSceneView()->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::OnFlipTextureV()
{
    if (!m_pPerspectiveView)
        return;
    const bool flip = !m_pPerspectiveView->FlipTextureV();
    m_pPerspectiveView->SetFlipTextureV(flip);
    gui::WriteProfileInt(APP_TITLE, KEY_FLIP_TEXTURE_V, flip ? 1 : 0);
}

void CMainFrame::ShowEditVertexDialog(int vertexIndex)
{
    qm4edit::ShowEditVertexDialog(CommandContext{m_doc, m_prompt, m_dialogRunner, this}, vertexIndex);
}

void CMainFrame::ShowObjectInfoDialog(int objectIndex)
{
    qm4edit::ShowObjectInfoDialog(CommandContext{m_doc, m_prompt, m_dialogRunner, this}, objectIndex);
}

void CMainFrame::ShowPolygonInfoDialog(int objectIndex, int polygonIndex)
{
    qm4edit::ShowPolygonInfoDialog(CommandContext{m_doc, m_prompt, m_dialogRunner, this}, objectIndex, polygonIndex);
}

void CMainFrame::ExportObjectCsv(int objectIndex)
{
    const QString status = qm4edit::ExportObjectCsv(CommandContext{m_doc, m_prompt, m_dialogRunner, this}, objectIndex);
    if (!status.isEmpty())
        statusBar()->showMessage(status);
}

void CMainFrame::ExportPolygonCsv(int objectIndex, int polygonIndex)
{
    const QString status =
        qm4edit::ExportPolygonCsv(CommandContext{m_doc, m_prompt, m_dialogRunner, this}, objectIndex, polygonIndex);
    if (!status.isEmpty())
        statusBar()->showMessage(status);
}

int CMainFrame::GetSelectedKind() const
{
    return m_pTreeView->GetSelectedKind();
}

int CMainFrame::GetSelectedData() const
{
    return m_pTreeView->GetSelectedData();
}

int CMainFrame::GetSelectedPolygonCount() const
{
    return m_pTreeView->GetSelectedPolygonCount();
}

void CMainFrame::GetSelectedPolygonVertices(int k, int& a, int& b, int& c) const
{
    m_pTreeView->GetSelectedPolygonVertices(k, a, b, c);
}

} // namespace qm4edit
