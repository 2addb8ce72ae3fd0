#pragma once
// The editor's main window and its mediator: menus, toolbar, status bar, the splitter with
// the tree pane and the viewport, every command, and the operations through which the panes
// and dialogs reach the document and each other.

#include <functional>
#include <memory>
#include <vector>

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include "editor/app/ExchangeCommands.h"
#include "editor/app/UndoHistory.h"
#include "editor/ViewSelection.h"
#include "gui/CommandModel.h"
#include "scene/QM4EditDoc.h"

class QAction;
class QDialog;
class QLabel;
class QMenu;
class QSplitter;
class QStackedWidget;
class QToolBar;

namespace gui {
class IGuiPrompt;
class RecentFileList;
class RecentFilesMenu;
} // namespace gui

namespace qm4edit {

class CQM4EditTreeView;
class CQM4EditView;
class CPerspectiveView;
class CScenePanes;
class CSplitKeyMode;
class CStatusPanes;
class CTextureCommands;

enum class OpenOutcome { Opened, Cancelled, Failed };

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
    CQM4EditTreeView* GetTreeView() const { return m_pTreeView; }
    CQM4EditView* GetSceneView() const { return m_pSceneView; }
    // Null when no OpenGL context can be made here.
    CPerspectiveView* GetPerspectiveView() const { return m_pPerspectiveView; }
    bool IsPerspective() const;
    scene::CQM4EditDoc& GetActiveDocument() const { return m_doc; }
    QSplitter* GetSplitter() const { return m_wndSplitter; }
    QToolBar* GetToolBar() const { return m_wndToolBar; }
    QString GetPathName() const { return m_strPathName; }

    // The action of a command id (menus, toolbar and keyboard share it); null if unknown.
    QAction* Action(int id) const { return m_commands.Action(id); }
    // The File menu's recent-file entries as shown, or the one greyed "Recent File".
    std::vector<QAction*> RecentFileActions() const;

    // ---- the framework's side of documents ----
    // Asks to save a modified document first; false when the user cancels or saving fails.
    bool SaveModified();
    OpenOutcome OpenDocumentFile(const QString& path);
    bool NewDocument();
    bool DoFileSave();
    bool DoSaveAs();

    // Sets every command's enabled and checked state from the document and the panes.
    void UpdateActions() { m_commands.UpdateActions(); }

    // ---- mediator operations ----
    void ClearTree() override;
    void AddObjectToTree(int objectIndex, const scene::ObjectRecord& record) override;
    void RefreshTree();
    void RedrawSceneView();
    // The inspector dialogs and the CSV exchange, run through DialogCommands.
    void ShowEditVertexDialog(int vertexIndex);
    void ShowObjectInfoDialog(int objectIndex);
    void ShowPolygonInfoDialog(int objectIndex, int polygonIndex);
    void ExportObjectCsv(int objectIndex);
    void ExportPolygonCsv(int objectIndex, int polygonIndex);

    // ---- the viewport's questions about the tree's selection ----
    TreeItemKind GetSelectedKind() const override;
    int GetSelectedData() const override;
    int GetSelectedPolygonCount() const override;
    void GetSelectedPolygonVertices(int k, int& a, int& b, int& c) const override;

    bool IsInSplitMode() const;

    // ---- undo and editing tools ----
    // Applies the edit and keeps it as one undoable step named what ("Edit Vertex").
    void ApplyEdit(const char* what, scene::CSceneEdit edit);
    const CUndoHistory& History() const { return m_history; }
    // The picked faces, the Textures pane and its commands.
    CTextureCommands& Textures() const { return *m_pTextures; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // scene::ISceneObserver
    void UpdateAllViews() override;
    void ModifiedChanged(bool modified) override;
    void TexturingChanged() override;

    // The command rows, in Commands.cpp.
    void CreateCommands();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateClient();
    void CreateTextureCommands();
    void UpdateTitle();
    void UpdateIndicators();
    QString DocumentTitle() const;
    void AfterDocumentChanged();

    // Commands.
    void OnFileOpen();
    void OnFileImport();
    void OnFileExport();
    void OnOpenRecentFile(int index);
    void OnColor(int id);
    void OnOptionsAssociations();
    void OnAppAbout();
    // The viewport's commands, keys, status panes and pick report.
    void UpdateViewPanes();
    void OnVertexPicked(int vertexIndex);
    void OnNextPane(bool forward);
    // The perspective view in the viewport's place, or the orthographic view back.
    void ShowPerspective(bool on);
    void OnFlipTextureV();
    QWidget* ActiveSceneView() const;
    void SetWireframe(bool on);
    // Undo and editing tools.
    void ConnectEditingTools();
    CommandContext Context();
    void OnEditUndo();
    void OnEditRedo();
    void AfterHistoryStep();
    void UpdateUndoTexts();
    void OnFileExportModel();
    void OnFileImportModel();

    scene::CQM4EditDoc& m_doc;
    gui::IGuiPrompt& m_prompt;
    gui::RecentFileList& m_recentFiles;
    QString m_strPathName;

    std::unique_ptr<CScenePanes> m_pPanes;
    // The panes' widgets, as the command rows and the mediator reach them.
    QSplitter* m_wndSplitter = nullptr;
    CQM4EditTreeView* m_pTreeView = nullptr;
    CQM4EditView* m_pSceneView = nullptr;
    // The right pane: the orthographic view, and the perspective view when OpenGL works.
    QStackedWidget* m_pViewStack = nullptr;
    CPerspectiveView* m_pPerspectiveView = nullptr;
    QString m_strNoPerspective; // why there is none
    QToolBar* m_wndToolBar = nullptr;
    std::unique_ptr<CStatusPanes> m_pStatusPanes;

    gui::CommandModel m_commands{*this};
    std::unique_ptr<gui::RecentFilesMenu> m_recentMenu;

    std::unique_ptr<CSplitKeyMode> m_pSplitMode;
    DialogRunner m_dialogRunner;
    CExchangeCommands m_exchange;
    CUndoHistory m_history;
    std::unique_ptr<CTextureCommands> m_pTextures;
};

} // namespace qm4edit
