#pragma once
// The editor's main window and its mediator: it builds the menus, toolbar, status bar and
// panes, connects the panes' signals, and offers the operations through which the command
// rows, the panes and the dialogs reach the document and each other. The rows themselves
// are in the command groups (Commands.h); documents, undo, exchange and the frame's own
// dialogs are small classes of their own that the frame owns.

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include <QMainWindow>

#include "editor/app/DocumentCommands.h"
#include "editor/app/ExchangeCommands.h"
#include "editor/app/FrameDialogs.h"
#include "editor/app/UndoCommands.h"
#include "editor/ViewSelection.h"
#include "gui/CommandModel.h"
#include "scene/QM4EditDoc.h"

class QAction;
class QDialog;
class QSplitter;
class QToolBar;

namespace gui {
class IGuiPrompt;
class RecentFileList;
} // namespace gui

namespace qm4edit {

class CQM4EditTreeView;
class CQM4EditView;
class CPerspectiveView;
class CScenePanes;
class CSplitKeyMode;
class CStatusPanes;
class CTextureCommands;

class CMainFrame final : public QMainWindow, public scene::ISceneObserver, public ISceneSelection {
    Q_OBJECT

public:
    // Runs a modal dialog and returns its result; tests replace it to drive dialogs headless.
    using DialogRunner = std::function<int(QDialog& dialog)>;

    // None of the three is owned; all must outlive the frame.
    CMainFrame(scene::CQM4EditDoc& doc, gui::IGuiPrompt& prompt, gui::RecentFileList& recentFiles,
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    void SetDialogRunner(DialogRunner runner) { m_dialogRunner = std::move(runner); }
    int RunDialog(QDialog& dialog) { return m_dialogRunner(dialog); }

    // ---- panes and document ----
    scene::CQM4EditDoc& GetActiveDocument() const { return m_doc; }
    CScenePanes& Panes() const { return *m_pPanes; }
    CQM4EditTreeView* GetTreeView() const { return m_pTreeView; }
    CQM4EditView* GetSceneView() const { return m_pSceneView; }
    // Null when no OpenGL context can be made here.
    CPerspectiveView* GetPerspectiveView() const { return m_pPerspectiveView; }
    bool IsPerspective() const;
    // The perspective view in the viewport's place, or the orthographic view back.
    void ShowPerspective(bool on);
    // Every pane takes the scene the document now holds; textures are looked up in sceneFolder.
    void ShowNewScene(const std::filesystem::path& sceneFolder);
    QSplitter* GetSplitter() const { return m_wndSplitter; }
    QToolBar* GetToolBar() const { return m_wndToolBar; }
    CSplitKeyMode& SplitMode() const { return *m_pSplitMode; }
    bool IsInSplitMode() const;

    // ---- commands ----
    // The action of a command id (menus, toolbar and keyboard share it); null if unknown.
    QAction* Action(int id) const { return m_commands.Action(id); }
    // Sets every command's enabled and checked state from the document and the panes.
    void UpdateActions() { m_commands.UpdateActions(); }
    // The parts the command rows call.
    CDocumentCommands& Documents() { return m_documents; }
    CUndoCommands& Edits() { return m_undo; }
    CExchangeCommands& Exchange() { return m_exchange; }
    CFrameDialogs& Dialogs() { return m_dialogs; }
    // The picked faces, the Textures pane and its commands.
    CTextureCommands& Textures() const { return *m_pTextures; }

    // ---- the document's side (CDocumentCommands) ----
    QString GetPathName() const { return m_documents.GetPathName(); }
    std::vector<QAction*> RecentFileActions() const { return m_documents.RecentFileActions(); }
    bool SaveModified() { return m_documents.SaveModified(); }
    OpenOutcome OpenDocumentFile(const QString& path) { return m_documents.OpenDocumentFile(path); }
    bool NewDocument() { return m_documents.NewDocument(); }
    bool DoFileSave() { return m_documents.DoFileSave(); }
    bool DoSaveAs() { return m_documents.DoSaveAs(); }

    // ---- undo: every change to the scene is one step ----
    void ApplyEdit(const char* what, scene::CSceneEdit edit) { m_undo.ApplyEdit(what, std::move(edit)); }
    const CUndoHistory& History() const { return m_undo.History(); }

    // ---- mediator operations ----
    void ClearTree() override;
    void AddObjectToTree(int objectIndex, const scene::ObjectRecord& record) override;
    void RefreshTree();
    void RedrawSceneView();
    // The inspector dialogs and the CSV exchange the tree asks for.
    void ShowEditVertexDialog(int vertexIndex) { m_exchange.ShowEditVertexDialog(vertexIndex); }
    void ShowObjectInfoDialog(int objectIndex) { m_exchange.ShowObjectInfoDialog(objectIndex); }
    void ShowPolygonInfoDialog(int objectIndex, int polygonIndex)
    {
        m_exchange.ShowPolygonInfoDialog(objectIndex, polygonIndex);
    }
    void ExportObjectCsv(int objectIndex) { m_exchange.ExportObjectCsv(objectIndex); }
    void ExportPolygonCsv(int objectIndex, int polygonIndex) { m_exchange.ExportPolygonCsv(objectIndex, polygonIndex); }

    // ---- the views' questions about the tree's selection ----
    TreeItemKind GetSelectedKind() const override;
    int GetSelectedData() const override;
    int GetSelectedPolygonCount() const override;
    void GetSelectedPolygonVertices(int k, int& a, int& b, int& c) const override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // scene::ISceneObserver
    void UpdateAllViews() override;
    void ModifiedChanged(bool modified) override;
    void TexturingChanged() override;

    void CreateClient();
    void CreateTextureCommands();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void UpdateIndicators();
    // The viewport's status panes: projection, zoom factor, pointer and grid.
    void UpdateViewPanes();
    void OnVertexPicked(int vertexIndex);
    // What the exchange and the inspectors work with, as it stands when they run.
    CommandContext Context();

    scene::CQM4EditDoc& m_doc;
    gui::IGuiPrompt& m_prompt;

    std::unique_ptr<CScenePanes> m_pPanes;
    // The panes' widgets, as the mediator reaches them.
    QSplitter* m_wndSplitter = nullptr;
    CQM4EditTreeView* m_pTreeView = nullptr;
    CQM4EditView* m_pSceneView = nullptr;
    CPerspectiveView* m_pPerspectiveView = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    std::unique_ptr<CStatusPanes> m_pStatusPanes;
    std::unique_ptr<CSplitKeyMode> m_pSplitMode;

    gui::CommandModel m_commands{*this};
    DialogRunner m_dialogRunner;
    CUndoCommands m_undo;
    CDocumentCommands m_documents;
    CExchangeCommands m_exchange;
    CFrameDialogs m_dialogs;
    std::unique_ptr<CTextureCommands> m_pTextures;
};

} // namespace qm4edit
