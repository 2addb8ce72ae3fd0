#include "editor/app/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "editor/app/Commands.h"
#include "editor/app/EditorStrings.h"
#include "editor/app/Icons.h"
#include "editor/app/ScenePanes.h"
#include "editor/app/SplitKeyMode.h"
#include "editor/app/StatusPanes.h"
#include "editor/ortho/QM4EditView.h"
#include "editor/tools/VertexTool.h"
#include "editor/perspective/PerspectiveStrings.h"
#include "editor/perspective/PerspectiveView.h"
#include "editor/textures/TextureCommands.h"
#include "editor/tree/QM4EditTreeView.h"
#include "gui/FileDrop.h"

namespace qm4edit {

CMainFrame::CMainFrame(scene::CQM4EditDoc& doc, gui::IGuiPrompt& prompt, gui::RecentFileList& recentFiles,
                       QWidget* parent)
    : QMainWindow(parent), m_doc(doc), m_prompt(prompt), m_undo(*this, doc),
      m_documents(*this, doc, prompt, recentFiles, m_undo.History()),
      m_exchange([this] { return Context(); }, [this](const QString& status) { statusBar()->showMessage(status); }),
      m_dialogs(*this, prompt)
{
    m_dialogRunner = [](QDialog& dialog) { return dialog.exec(); };
    setWindowIcon(ProgramIcon());
    // The panes first: commands may bind keys that act only while one of them has focus.
    CreateClient();
    CreateTextureCommands();
    AddMainCommands(m_commands, *this);
    m_commands.SetAfterUpdate([this] {
        UpdateIndicators();
        UpdateViewPanes();
        m_undo.UpdateUndoTexts();
    });
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    m_pSceneView->VertexTool().SetEditTarget(
        &m_doc, [this](const char* what, scene::CVertexEdit edit) { ApplyEdit(what, std::move(edit)); });
    m_doc.AddObserver(this);
    qApp->installEventFilter(this);
    // A scene dropped onto the window opens as from File > Open.
    new gui::FileDropTarget(
        *this, {scene::QM4_EXTENSION}, [](const QString&) { return true; },
        [this](const QString& path) { OpenDocumentFile(path); });
    resize(800, 600);
    m_documents.UpdateTitle();
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

void CMainFrame::CreateClient()
{
    m_pPanes = std::make_unique<CScenePanes>(m_doc, *this, this);
    m_wndSplitter = m_pPanes->Splitter();
    m_pTreeView = m_pPanes->Tree();
    m_pSceneView = m_pPanes->SceneView();
    m_pPerspectiveView = m_pPanes->PerspectiveView();
    if (m_pPerspectiveView)
        connect(m_pPerspectiveView, &CPerspectiveView::StatusMessage, this,
                [this](const QString& text) { statusBar()->showMessage(text); });
    else
        statusBar()->showMessage(QString(PERSPECTIVE_UNAVAILABLE).arg(m_pPanes->NoPerspective()));
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
        .status =
            [this](const QString& text) {
                if (text.isEmpty())
                    statusBar()->clearMessage();
                else
                    statusBar()->showMessage(text);
            },
        .updateActions = [this] { UpdateActions(); }});
}

void CMainFrame::CreateMenus()
{
    const std::vector<QMenu*> menus = m_commands.BuildMenuBar(*menuBar(), MainMenuLayout());
    m_documents.AttachRecentMenu(*menus.front(), *Action(ID_FILE_MRU_FILE1));
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

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    m_pPanes->SizeAtFirstShow();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    m_pSplitMode->End(true);
    if (SaveModified())
        event->accept();
    else
        event->ignore();
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

bool CMainFrame::IsInSplitMode() const
{
    return m_pSplitMode->IsOn();
}

// ---------------------------------------------------------------------------------------
// The status bar

void CMainFrame::UpdateIndicators()
{
    if (m_pStatusPanes)
        m_pStatusPanes->UpdateIndicators();
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
    statusBar()->showMessage(PickMessage(vertexIndex, m_doc.GetVertex(vertexIndex), corners));
}

// ---------------------------------------------------------------------------------------
// Mediator

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
    m_documents.UpdateTitle();
    UpdateActions();
}

void CMainFrame::ShowNewScene(const std::filesystem::path& sceneFolder)
{
    m_pTreeView->OnInitialUpdate();
    m_pSceneView->OnUpdate();
    if (m_pPerspectiveView)
        m_pPerspectiveView->SetScene(sceneFolder);
    m_pTextures->OnNewScene(sceneFolder);
    if (!m_doc.IsLoaded())
        ShowPerspective(false);
    UpdateActions();
    // Once the window has painted the new scene: a large scene's first drag then commits as
    // quickly as any later one.
    QTimer::singleShot(0, this, [this] { m_doc.PrepareForEdits(); });
}

bool CMainFrame::IsPerspective() const
{
    return m_pPanes->IsPerspective();
}

void CMainFrame::ShowPerspective(bool on)
{
    if (m_pPanes->ShowPerspective(on))
        UpdateActions();
}

void CMainFrame::ClearTree()
{
    m_pTreeView->ClearTree();
    // The scene may be another one now (or none): its faces and names go.
    m_pTextures->OnSceneReplaced();
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

CommandContext CMainFrame::Context()
{
    return CommandContext{m_doc,
                          m_prompt,
                          m_dialogRunner,
                          this,
                          [this](const char* what, std::vector<scene::VertexChange> changes) {
                              ApplyEdit(what, scene::CVertexEdit(std::move(changes)));
                          },
                          [this](const char* what, scene::CSceneEdit edit) { ApplyEdit(what, std::move(edit)); }};
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
