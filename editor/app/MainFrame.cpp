#include "editor/app/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "editor/app/Commands.h"
#include "editor/app/EditorStrings.h"
#include "editor/app/Icons.h"
#include "editor/dialogs/DialogCommands.h"
#include "editor/app/ScenePanes.h"
#include "editor/app/SplitKeyMode.h"
#include "editor/app/StatusPanes.h"
#include "editor/tree/QM4EditTreeView.h"
#include "editor/ortho/QM4EditView.h"
#include "editor/perspective/PerspectiveStrings.h"
#include "editor/perspective/PerspectiveView.h"
#include "editor/textures/TextureCommands.h"
#include "gui/FileDrop.h"
#include "gui/GuiPrompt.h"
#include "gui/RecentFilesMenu.h"
#include "gui/Settings.h"
#include "gui/WaitCursor.h"

namespace qm4edit {

namespace {

std::filesystem::path ToFsPath(const QString& path)
{
    return common::PathFromUtf8(path.toStdString());
}

} // namespace

CMainFrame::CMainFrame(scene::CQM4EditDoc& doc, gui::IGuiPrompt& prompt, gui::RecentFileList& recentFiles,
                       QWidget* parent)
    : QMainWindow(parent), m_doc(doc), m_prompt(prompt), m_recentFiles(recentFiles),
      m_exchange([this] { return Context(); }, [this](const QString& status) { statusBar()->showMessage(status); })
{
    m_dialogRunner = [](QDialog& dialog) { return dialog.exec(); };
    setWindowIcon(ProgramIcon());
    // The panes first: commands may bind keys that act only while one of them has focus.
    CreateClient();
    CreateCommands();
    CreateTextureCommands();
    m_commands.SetAfterUpdate([this] {
        UpdateIndicators();
        UpdateViewPanes();
        UpdateUndoTexts();
    });
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    ConnectEditingTools();
    m_doc.AddObserver(this);
    qApp->installEventFilter(this);
    // A scene dropped onto the window opens as from File > Open.
    new gui::FileDropTarget(
        *this, {scene::QM4_EXTENSION}, [](const QString&) { return true; },
        [this](const QString& path) { OpenDocumentFile(path); });
    resize(800, 600);
    UpdateTitle();
    UpdateActions();
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
    m_doc.RemoveObserver(this);
    m_pSplitMode->End(true);
    m_pTextures.reset();
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

void CMainFrame::CreateMenus()
{
    const std::vector<QMenu*> menus = m_commands.BuildMenuBar(*menuBar(), MainMenuLayout());
    m_recentMenu = std::make_unique<gui::RecentFilesMenu>(*menus.front(), *Action(ID_FILE_MRU_FILE1), m_recentFiles,
                                                          [this](int i) { OnOpenRecentFile(i); });
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
    m_commands.FillToolBar(*m_wndToolBar, MainToolbarLayout());
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName("AFX_IDW_STATUS_BAR");
    m_pStatusPanes = std::make_unique<CStatusPanes>(*bar);
    UpdateIndicators();
    UpdateViewPanes();
}

void CMainFrame::CreateClient()
{
    m_pPanes = std::make_unique<CScenePanes>(m_doc, *this, this);
    m_wndSplitter = m_pPanes->Splitter();
    m_pTreeView = m_pPanes->Tree();
    m_pSceneView = m_pPanes->SceneView();
    m_pViewStack = m_pPanes->ViewStack();
    m_pPerspectiveView = m_pPanes->PerspectiveView();
    m_strNoPerspective = m_pPanes->NoPerspective();
    if (m_pPerspectiveView)
        connect(m_pPerspectiveView, &CPerspectiveView::StatusMessage, this,
                [this](const QString& text) { statusBar()->showMessage(text); });
    else
        statusBar()->showMessage(QString(PERSPECTIVE_UNAVAILABLE).arg(m_strNoPerspective));
    setCentralWidget(m_wndSplitter);
    m_pSplitMode = std::make_unique<CSplitKeyMode>(*m_wndSplitter);

    connect(m_pTreeView, &CQM4EditTreeView::RefreshTreeRequested, this, &CMainFrame::RefreshTree);
    connect(m_pTreeView, &CQM4EditTreeView::RedrawSceneViewRequested, this, &CMainFrame::RedrawSceneView);
    connect(m_pTreeView, &CQM4EditTreeView::EditVertexRequested, this, &CMainFrame::ShowEditVertexDialog);
    connect(m_pTreeView, &CQM4EditTreeView::ObjectInfoRequested, this, &CMainFrame::ShowObjectInfoDialog);
    connect(m_pTreeView, &CQM4EditTreeView::PolygonInfoRequested, this, &CMainFrame::ShowPolygonInfoDialog);
    connect(m_pTreeView, &CQM4EditTreeView::ExportObjectRequested, this, &CMainFrame::ExportObjectCsv);
    connect(m_pTreeView, &CQM4EditTreeView::ExportPolygonRequested, this, &CMainFrame::ExportPolygonCsv);
    connect(m_pSceneView, &CQM4EditView::VertexPicked, this, &CMainFrame::OnVertexPicked);
    connect(m_pSceneView, &CQM4EditView::ViewStatusChanged, this, &CMainFrame::UpdateViewPanes);
    connect(m_pSceneView, &CQM4EditView::StatusMessage, this, [this](const QString& text) {
        if (text.isEmpty())
            statusBar()->clearMessage();
        else
            statusBar()->showMessage(text);
    });
}

void CMainFrame::CreateTextureCommands()
{
    m_pTextures = std::make_unique<CTextureCommands>(CTextureCommands::Host{
        .window = *this,
        .doc = m_doc,
        .prompt = m_prompt,
        .tree = *m_pTreeView,
        .perspective = m_pPerspectiveView,
        .runDialog = [this](QDialog& dialog) { return RunDialog(dialog); },
        .applyEdit = [this](const char* what, scene::CSceneEdit edit) { ApplyEdit(what, std::move(edit)); },
        .sceneFolder =
            [this] {
                return m_strPathName.isEmpty() ? std::filesystem::path()
                                               : ToFsPath(QFileInfo(m_strPathName).absolutePath());
            },
        .status =
            [this](const QString& text) {
                if (text.isEmpty())
                    statusBar()->clearMessage();
                else
                    statusBar()->showMessage(text);
            },
        .updateActions = [this] { UpdateActions(); }});
    m_pTextures->AddCommands(m_commands);
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    m_pPanes->SizeAtFirstShow();
}

bool CMainFrame::IsInSplitMode() const
{
    return m_pSplitMode->IsOn();
}

std::vector<QAction*> CMainFrame::RecentFileActions() const
{
    return m_recentMenu->Shown();
}

// ---------------------------------------------------------------------------------------
// Title and indicators

void CMainFrame::UpdateIndicators()
{
    if (m_pStatusPanes)
        m_pStatusPanes->UpdateIndicators();
}

QString CMainFrame::DocumentTitle() const
{
    return m_strPathName.isEmpty() ? QString(UNTITLED) : QFileInfo(m_strPathName).fileName();
}

void CMainFrame::UpdateTitle()
{
    setWindowTitle(DocumentTitle() + "[*] - " + APP_TITLE);
    setWindowModified(m_doc.IsModified());
    m_prompt.SetDocumentPath(m_strPathName);
}

void CMainFrame::UpdateViewPanes()
{
    if (!m_pSceneView || !m_pStatusPanes)
        return;
    // The perspective view has no scale or plane to report.
    const bool perspective = IsPerspective();
    const bool loaded = m_doc.IsLoaded();
    const QString texts[4] = {perspective ? QString(STATUS_PROJECTION_PERSPECTIVE) : m_pSceneView->ProjectionText(),
                              perspective ? QString() : m_pSceneView->ZoomText(),
                              perspective ? QString() : m_pSceneView->PointerText(),
                              perspective || !loaded ? QString() : m_pSceneView->GridText()};
    m_pStatusPanes->SetViewTexts(texts);
}

void CMainFrame::OnVertexPicked(int vertexIndex)
{
    const int corners = m_pTreeView->SelectVertex(vertexIndex);
    statusBar()->showMessage(CQM4EditView::PickMessage(vertexIndex, m_doc.GetVertex(vertexIndex), corners));
}

void CMainFrame::UpdateAllViews()
{
    m_pSceneView->OnUpdate();
    if (m_pPerspectiveView)
        m_pPerspectiveView->OnUpdate();
    UpdateActions();
}

void CMainFrame::TexturingChanged()
{
    if (m_pPerspectiveView)
        m_pPerspectiveView->OnTexturingChanged();
    m_pTextures->OnTexturingChanged();
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
    m_history.Clear();
    UpdateTitle();
    m_pTreeView->OnInitialUpdate();
    m_pSceneView->OnUpdate();
    if (m_pPerspectiveView)
        m_pPerspectiveView->SetScene(m_strPathName.isEmpty() ? std::filesystem::path()
                                                             : ToFsPath(QFileInfo(m_strPathName).absolutePath()));
    m_pTextures->OnNewScene();
    if (!m_doc.IsLoaded())
        ShowPerspective(false);
    UpdateActions();
    // Once the window has painted the new scene: a large scene's first drag then commits as
    // quickly as any later one.
    QTimer::singleShot(0, this, [this] { m_doc.PrepareForEdits(); });
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
        // The document keeps its name; its scene may have been emptied if reading began, and
        // then no step of the history fits it any more.
        m_history.Clear(!m_doc.IsModified());
        m_pSceneView->OnUpdate();
        m_pTextures->OnNewScene();
        UpdateTitle();
        UpdateActions();
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
    if (result.ok)
        m_history.SetClean();
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
        m_history.SetClean();
        m_strPathName = absolute;
        m_recentFiles.Add(absolute);
        m_recentMenu->Rebuild();
    }
    UpdateTitle();
    UpdateActions();
    return result.ok;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    m_pSplitMode->End(true);
    if (SaveModified())
        event->accept();
    else
        event->ignore();
}

// ---------------------------------------------------------------------------------------
// Commands

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
        m_recentMenu->Rebuild();
    }
}

void CMainFrame::OnNextPane(bool)
{
    m_pPanes->FocusOtherPane();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (m_pSplitMode->IsOn()) {
            m_pSplitMode->Key(static_cast<QKeyEvent*>(event)->key());
            return true;
        }
        break;
    case QEvent::KeyRelease: UpdateIndicators(); break;
    case QEvent::MouseButtonPress: m_pSplitMode->End(true); break;
    case QEvent::WindowActivate:
        if (watched == this)
            UpdateIndicators();
        break;
    default: break;
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
    m_pPanes->RedrawViews();
}

// ---------------------------------------------------------------------------------------
// The perspective view

bool CMainFrame::IsPerspective() const
{
    return m_pPanes->IsPerspective();
}

QWidget* CMainFrame::ActiveSceneView() const
{
    return m_pPanes->ActiveView();
}

void CMainFrame::ShowPerspective(bool on)
{
    if (m_pPanes->ShowPerspective(on))
        UpdateActions();
}

void CMainFrame::OnFlipTextureV()
{
    if (!m_pPerspectiveView)
        return;
    const bool flip = !m_pPerspectiveView->FlipTextureV();
    m_pPerspectiveView->SetFlipTextureV(flip);
    gui::WriteProfileInt(APP_TITLE, KEY_FLIP_TEXTURE_V, flip ? 1 : 0);
}

void CMainFrame::SetWireframe(bool on)
{
    m_pPanes->SetWireframe(on);
}

// ---------------------------------------------------------------------------------------
// Undo and editing tools

void CMainFrame::ConnectEditingTools()
{
    m_pSceneView->SetEditTarget(
        &m_doc, [this](const char* what, scene::CVertexEdit edit) { ApplyEdit(what, std::move(edit)); });
}

void CMainFrame::ApplyEdit(const char* what, scene::CSceneEdit edit)
{
    edit.Apply(m_doc);
    m_history.Push(what, std::move(edit));
    AfterHistoryStep();
}

void CMainFrame::OnEditUndo()
{
    m_pSceneView->CancelVertexDrag();
    if (m_history.Undo(m_doc))
        AfterHistoryStep();
}

void CMainFrame::OnEditRedo()
{
    m_pSceneView->CancelVertexDrag();
    if (m_history.Redo(m_doc))
        AfterHistoryStep();
}

void CMainFrame::AfterHistoryStep()
{
    // Undoing back to what was saved leaves nothing to save.
    m_doc.SetModifiedFlag(!m_history.IsClean());
    UpdateActions();
}

void CMainFrame::UpdateUndoTexts()
{
    const std::string undo = m_history.UndoText();
    const std::string redo = m_history.RedoText();
    const QString undoText =
        undo.empty() ? QString(UNDO_TEXT) : QString(UNDO_TEXT_STEP).arg(QString::fromStdString(undo));
    const QString redoText =
        redo.empty() ? QString(REDO_TEXT) : QString(REDO_TEXT_STEP).arg(QString::fromStdString(redo));
    if (QAction* a = Action(ID_EDIT_UNDO); a && a->text() != undoText)
        a->setText(undoText);
    if (QAction* a = Action(ID_EDIT_REDO); a && a->text() != redoText)
        a->setText(redoText);
}

TreeItemKind CMainFrame::GetSelectedKind() const
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
