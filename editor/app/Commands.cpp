#include "editor/app/Commands.h"

#include <array>

#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>

#include "editor/app/EditorStrings.h"
#include "editor/app/Icons.h"
#include "editor/app/MainFrame.h"
#include "editor/app/SplitKeyMode.h"
#include "editor/perspective/PerspectiveStrings.h"
#include "editor/perspective/PerspectiveView.h"
#include "editor/ortho/QM4EditView.h"

namespace qm4edit {

// One row per command of the main window. A handler is a member of CMainFrame (or a call on
// a pane); the rules read the document and the panes at each update pass.
void CMainFrame::CreateCommands()
{
    const auto loaded = [this] { return m_doc.IsLoaded(); };
    const auto savable = [this] { return m_doc.IsLoaded() && m_doc.IsModified(); };
    const auto projectionIs = [this](Projection p) {
        return [this, p] { return !IsPerspective() && m_pSceneView->GetProjection() == p; };
    };
    // Kept in the menus, enabled; they have never done anything.
    const auto inert = [] {};
    gui::CommandModel& c = m_commands;

    c.Add({.id = ID_FILE_NEW, .prompt = "Create a new document\nNew", .keys = {Qt::CTRL | Qt::Key_N}, .run = [this] {
               NewDocument();
           }});
    c.Add({.id = ID_FILE_OPEN,
           .text = "&Open...\tCtrl+O",
           .prompt = "Open an existing document\nOpen",
           .keys = {Qt::CTRL | Qt::Key_O},
           .icon = ToolbarIcon(ID_FILE_OPEN),
           .run = [this] { OnFileOpen(); }});
    c.Add({.id = ID_FILE_SAVE,
           .text = "&Save\tCtrl+S",
           .prompt = "Save the active document\nSave",
           .keys = {Qt::CTRL | Qt::Key_S},
           .icon = ToolbarIcon(ID_FILE_SAVE),
           .enabled = savable,
           .run = [this] { DoFileSave(); }});
    c.Add({.id = ID_FILE_SAVE_AS,
           .text = "Save &As...",
           .prompt = "Save the active document with a new name\nSave As",
           .enabled = savable,
           .run = [this] { DoSaveAs(); }});
    c.Add({.id = ID_FILE_IMPORT, .text = "&Import...", .enabled = loaded, .run = [this] { OnFileImport(); }});
    c.Add({.id = ID_FILE_EXPORT, .text = "&Export...", .enabled = loaded, .run = [this] { OnFileExport(); }});
    c.Add({.id = ID_OVERLAY_ALP, .text = "&ALP", .run = inert});
    c.Add({.id = ID_OVERLAY_REC, .text = "&REC", .run = inert});
    // Stands in the File menu for the recent files while there are none.
    c.Add({.id = ID_FILE_MRU_FILE1, .text = "Recent File", .prompt = "Open this document"});
    c.Add({.id = ID_APP_EXIT,
           .text = "E&xit",
           .prompt = "Quit the application; prompts to save documents\nExit",
           .run = [this] { close(); }});

    // Nothing handles the clipboard commands: they stay greyed. Undo is a row of its own below.
    c.Add({.id = ID_EDIT_CUT,
           .text = "Cu&t\tCtrl+X",
           .prompt = "Cut the selection and put it on the Clipboard\nCut",
           .keys = {Qt::CTRL | Qt::Key_X, Qt::SHIFT | Qt::Key_Delete},
           .icon = ToolbarIcon(ID_EDIT_CUT)});
    c.Add({.id = ID_EDIT_COPY,
           .text = "&Copy\tCtrl+C",
           .prompt = "Copy the selection and put it on the Clipboard\nCopy",
           .keys = {Qt::CTRL | Qt::Key_C, Qt::CTRL | Qt::Key_Insert},
           .icon = ToolbarIcon(ID_EDIT_COPY)});
    c.Add({.id = ID_EDIT_PASTE,
           .text = "&Paste\tCtrl+V",
           .prompt = "Insert Clipboard contents\nPaste",
           .keys = {Qt::CTRL | Qt::Key_V, Qt::SHIFT | Qt::Key_Insert},
           .icon = ToolbarIcon(ID_EDIT_PASTE)});

    c.Add({.id = ID_VIEW_TOOLBAR,
           .text = "&Toolbar",
           .prompt = "Show or hide the toolbar\nToggle ToolBar",
           .checkable = true,
           .checked = [this] { return !m_wndToolBar->isHidden(); },
           .run = [this] { m_wndToolBar->setVisible(m_wndToolBar->isHidden()); }});
    c.Add({.id = ID_VIEW_STATUS_BAR,
           .text = "&Status Bar",
           .prompt = "Show or hide the status bar\nToggle StatusBar",
           .checkable = true,
           .checked = [this] { return !statusBar()->isHidden(); },
           .run = [this] { statusBar()->setVisible(statusBar()->isHidden()); }});
    c.Add(
        {.id = ID_WINDOW_SPLIT, .text = "S&plit", .prompt = "Split the active window into panes\nSplit", .run = [this] {
             m_pSplitMode->Start();
         }});
    c.Add({.id = ID_VIEW_TOP,
           .text = "&Top",
           .prompt = "Set view to Overhead (X-Z)\nOverhead View",
           .icon = ToolbarIcon(ID_VIEW_TOP),
           .group = "projection",
           .enabled = loaded,
           .checked = projectionIs(Projection::Top),
           .run = [this] {
               ShowPerspective(false);
               m_pSceneView->SetProjection(Projection::Top);
           }});
    c.Add({.id = ID_VIEW_FRONT,
           .text = "&Front",
           .prompt = "Set view to Front (X-Y)\nFront View",
           .icon = ToolbarIcon(ID_VIEW_FRONT),
           .group = "projection",
           .enabled = loaded,
           .checked = projectionIs(Projection::Front),
           .run = [this] {
               ShowPerspective(false);
               m_pSceneView->SetProjection(Projection::Front);
           }});
    c.Add({.id = ID_VIEW_SIDE,
           .text = "&Side",
           .prompt = "Set view to Side (Z-Y)\nSide View",
           .icon = ToolbarIcon(ID_VIEW_SIDE),
           .group = "projection",
           .enabled = loaded,
           .checked = projectionIs(Projection::Side),
           .run = [this] {
               ShowPerspective(false);
               m_pSceneView->SetProjection(Projection::Side);
           }});
    c.Add({.id = ID_VIEW_ZOOMIN,
           .text = "Zoom &In",
           .prompt = "Increase zoom factor\nZoom In",
           .icon = ToolbarIcon(ID_VIEW_ZOOMIN),
           .enabled = loaded,
           .run = [this] { IsPerspective() ? m_pPerspectiveView->ZoomIn() : m_pSceneView->ZoomIn(); }});
    c.Add({.id = ID_VIEW_ZOOMOUT,
           .text = "Zoom &Out",
           .prompt = "Decrease zoom factor\nZoom Out",
           .icon = ToolbarIcon(ID_VIEW_ZOOMOUT),
           .enabled = loaded,
           .run = [this] { IsPerspective() ? m_pPerspectiveView->ZoomOut() : m_pSceneView->ZoomOut(); }});
    c.Add({.id = ID_VIEW_RESET,
           .text = "&Reset View",
           .prompt = "Go back to default view - Overhead, Zoom Factor 1, Center\nReset View",
           .icon = ToolbarIcon(ID_VIEW_RESET),
           .enabled = loaded,
           .run = [this] {
               ShowPerspective(false);
               m_pSceneView->ResetView();
           }});
    // The textured 3D view takes the viewport's place; greyed, with the reason, without OpenGL.
    c.Add({.id = ID_VIEW_PERSPECTIVE,
           .text = "P&erspective\tP",
           .prompt = "Set view to Perspective, textured\nPerspective View",
           .keys = {Qt::Key_P},
           .icon = ToolbarIcon(ID_VIEW_PERSPECTIVE),
           .group = "projection",
           .focusScope = m_pViewStack,
           .enabled = [this] { return m_doc.IsLoaded() && m_pPerspectiveView; },
           .checked = [this] { return IsPerspective(); },
           .run = [this] { ShowPerspective(true); }});
    c.Add({.id = ID_VIEW_FLIPTEXTUREV,
           .text = "Flip Texture &V",
           .prompt = "Count texture v upwards from the bottom row, for scenes made that way\nFlip Texture V",
           .checkable = true,
           .enabled = [this] { return m_pPerspectiveView != nullptr; },
           .checked = [this] { return m_pPerspectiveView && m_pPerspectiveView->FlipTextureV(); },
           .run = [this] { OnFlipTextureV(); }});
    if (!m_strNoPerspective.isEmpty()) {
        const QString why = QString(PERSPECTIVE_UNAVAILABLE).arg(m_strNoPerspective);
        Action(ID_VIEW_PERSPECTIVE)->setStatusTip(why);
        Action(ID_VIEW_PERSPECTIVE)->setToolTip(why);
    }
    // The viewport's own keys act only while it has focus, so the tree keeps its Home and type-ahead.
    c.Add({.id = ID_VIEW_FITSCENE,
           .text = "Fit Sce&ne\tHome",
           .prompt = "Zoom and center so that the whole scene shows\nFit Scene",
           .keys = {Qt::Key_Home},
           .focusScope = m_pSceneView,
           .enabled = loaded,
           .run = [this] { m_pSceneView->FitScene(); }});
    c.Add({.id = ID_VIEW_FITSELECTION,
           .text = "Fit Se&lection\tF",
           .prompt = "Zoom and center so that the selected item shows\nFit Selection",
           .keys = {Qt::Key_F},
           .focusScope = m_pSceneView,
           .enabled = loaded,
           .run = [this] { m_pSceneView->FitSelection(); }});
    c.Add({.id = ID_VIEW_WIREFRAME,
           .text = "&Wireframe\tW",
           .prompt = "Show or hide the outlines of every polygon\nWireframe",
           .keys = {Qt::Key_W},
           .icon = ToolbarIcon(ID_VIEW_WIREFRAME),
           .checkable = true,
           .focusScope = m_pViewStack,
           .enabled = loaded,
           .checked = [this] { return m_pSceneView->IsWireframe(); },
           .run = [this] { SetWireframe(!m_pSceneView->IsWireframe()); }});

    c.Add({.id = ID_OPTIONS_PRIMARYCOLOR,
           .text = "Set &Primary Color",
           .prompt = "Set the color used to draw the vertices",
           .run = [this] { OnColor(ID_OPTIONS_PRIMARYCOLOR); }});
    c.Add({.id = ID_OPTIONS_SECONDARYCOLOR1,
           .text = "Set Secondary Color &1",
           .prompt = "Set optional color used to help vertices stand out",
           .run = [this] { OnColor(ID_OPTIONS_SECONDARYCOLOR1); }});
    c.Add({.id = ID_OPTIONS_SECONDARYCOLOR2,
           .text = "Set Secondary Color &2",
           .prompt = "Set optional color used to help vertices stand out",
           .run = [this] { OnColor(ID_OPTIONS_SECONDARYCOLOR2); }});
    c.Add({.id = ID_OPTIONS_HIGHLIGHTCOLOR,
           .text = "Set &Highlight Color",
           .prompt = "Set color used to draw object polygons and highlight selected vertices",
           .run = [this] { OnColor(ID_OPTIONS_HIGHLIGHTCOLOR); }});
    c.Add({.id = ID_OPTIONS_OVERLAYCOLOR,
           .text = "Set &Overlay Color",
           .prompt = "Set color used to draw alpha objects and AI line laid over view.",
           .run = inert});
    c.Add({.id = ID_OPTIONS_WIRECOLOR,
           .text = "Set &Wire Color",
           .prompt = "Set color used to outline every polygon in the wireframe view",
           .run = [this] { OnColor(ID_OPTIONS_WIRECOLOR); }});
    c.Add({.id = ID_OPTIONS_ASSOCIATIONS,
           .text = "&Associations...",
           .prompt = "Set file associations for QM4Edit",
           .run = [this] { OnOptionsAssociations(); }});

    c.Add({.id = ID_APP_ABOUT,
           .text = "&About QM4Edit...",
           .prompt = "Display program information, version number and copyright\nAbout",
           .run = [this] { OnAppAbout(); }});
    c.Add({.id = ID_NEXT_PANE,
           .prompt = "Switch to the next window pane\nNext Pane",
           .keys = {Qt::Key_F6},
           .run = [this] { OnNextPane(true); }});
    c.Add({.id = ID_PREV_PANE,
           .prompt = "Switch back to the previous window pane\nPrevious Pane",
           .keys = {Qt::SHIFT | Qt::Key_F6},
           .run = [this] { OnNextPane(false); }});

    // Undo and editing tools. The Undo and Redo texts name the step (see UpdateUndoTexts).
    c.Add({.id = ID_EDIT_UNDO,
           .text = UNDO_TEXT,
           .prompt = "Undo the last action\nUndo",
           .keys = {Qt::CTRL | Qt::Key_Z, Qt::ALT | Qt::Key_Backspace},
           .enabled = [this] { return m_history.CanUndo(); },
           .run = [this] { OnEditUndo(); }});
    c.Add({.id = ID_EDIT_REDO,
           .text = REDO_TEXT,
           .prompt = "Redo the previously undone action\nRedo",
           .keys = {Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::SHIFT | Qt::Key_Z},
           .enabled = [this] { return m_history.CanRedo(); },
           .run = [this] { OnEditRedo(); }});
    c.Add({.id = ID_FILE_EXPORT_MODEL,
           .text = "Export &Model...",
           .prompt = "Write the scene as a Wavefront OBJ or a glTF Binary model\nExport Model",
           .enabled = loaded,
           .run = [this] { OnFileExportModel(); }});
    c.Add({.id = ID_FILE_IMPORT_MODEL,
           .text = "Import Mo&del...",
           .prompt = "Move the vertices to the positions of an OBJ model of this scene\nImport Model",
           .enabled = loaded,
           .run = [this] { OnFileImportModel(); }});
    c.Add({.id = ID_EDIT_VERTEXTOOL,
           .text = "&Vertex Tool\tV",
           .prompt = "Drag vertices in the view; drag on empty space to select several\nVertex Tool",
           .keys = {Qt::Key_V},
           .icon = ToolbarIcon(ID_EDIT_VERTEXTOOL),
           .checkable = true,
           .focusScope = m_pSceneView,
           .enabled = loaded,
           .checked = [this] { return m_pSceneView->IsVertexTool(); },
           .run = [this] { m_pSceneView->SetVertexTool(!m_pSceneView->IsVertexTool()); }});
    // The grid belongs to the orthographic view; its keys act while that view has focus.
    c.Add({.id = ID_VIEW_GRID,
           .text = "&Grid\tG",
           .prompt = "Show or hide the grid; while shown, moved vertices land on its points\nGrid",
           .keys = {Qt::Key_G},
           .checkable = true,
           .focusScope = m_pSceneView,
           .enabled = loaded,
           .checked = [this] { return m_pSceneView->IsGrid(); },
           .run = [this] { m_pSceneView->SetGrid(!m_pSceneView->IsGrid()); }});
    c.Add({.id = ID_VIEW_GRID_FINER,
           .text = "&Halve Grid Step\t[",
           .prompt = "Halve the grid step, down to 1/8 unit\nHalve Grid Step",
           .keys = {Qt::Key_BracketLeft},
           .focusScope = m_pSceneView,
           .enabled = [this] { return m_doc.IsLoaded() && m_pSceneView->CanHalveGridStep(); },
           .run = [this] { m_pSceneView->HalveGridStep(); }});
    c.Add({.id = ID_VIEW_GRID_COARSER,
           .text = "&Double Grid Step\t]",
           .prompt = "Double the grid step, up to 4096 units\nDouble Grid Step",
           .keys = {Qt::Key_BracketRight},
           .focusScope = m_pSceneView,
           .enabled = [this] { return m_doc.IsLoaded() && m_pSceneView->CanDoubleGridStep(); },
           .run = [this] { m_pSceneView->DoubleGridStep(); }});
}

const gui::MenuLayout& MainMenuLayout()
{
    static const gui::MenuLayout layout = {
        {MENU_FILE,
         {ID_FILE_OPEN,
          ID_FILE_SAVE,
          ID_FILE_SAVE_AS,
          gui::kSeparator,
          ID_FILE_IMPORT,
          ID_FILE_EXPORT,
          ID_FILE_EXPORT_MODEL,
          ID_FILE_IMPORT_MODEL,
          gui::kSeparator,
          {MENU_OVERLAY, {ID_OVERLAY_ALP, ID_OVERLAY_REC}},
          gui::kSeparator,
          ID_FILE_MRU_FILE1,
          gui::kSeparator,
          ID_APP_EXIT}},
        {MENU_EDIT,
         {ID_EDIT_UNDO, ID_EDIT_REDO, gui::kSeparator, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, gui::kSeparator,
          ID_EDIT_VERTEXTOOL}},
        {MENU_VIEW,
         {{MENU_CONTROLS, {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_WINDOW_SPLIT}},
          gui::kSeparator,
          ID_VIEW_TOP,
          ID_VIEW_FRONT,
          ID_VIEW_SIDE,
          ID_VIEW_PERSPECTIVE,
          gui::kSeparator,
          ID_VIEW_ZOOMIN,
          ID_VIEW_ZOOMOUT,
          gui::kSeparator,
          ID_VIEW_RESET,
          gui::kSeparator,
          ID_VIEW_FITSCENE,
          ID_VIEW_FITSELECTION,
          gui::kSeparator,
          ID_VIEW_WIREFRAME,
          gui::kSeparator,
          ID_VIEW_GRID,
          ID_VIEW_GRID_FINER,
          ID_VIEW_GRID_COARSER,
          gui::kSeparator,
          ID_VIEW_FLIPTEXTUREV,
          gui::kSeparator,
          ID_VIEW_TEXTURES}},
        {MENU_OPTIONS,
         {ID_OPTIONS_PRIMARYCOLOR, ID_OPTIONS_SECONDARYCOLOR1, ID_OPTIONS_SECONDARYCOLOR2, ID_OPTIONS_HIGHLIGHTCOLOR,
          ID_OPTIONS_OVERLAYCOLOR, ID_OPTIONS_WIRECOLOR, ID_OPTIONS_ASSOCIATIONS}},
        {MENU_HELP, {ID_APP_ABOUT}},
    };
    return layout;
}

const std::vector<int>& MainToolbarLayout()
{
    static const std::vector<int> layout = {
        ID_FILE_OPEN,  ID_FILE_SAVE,    gui::kSeparator,   ID_EDIT_CUT,         ID_EDIT_COPY,
        ID_EDIT_PASTE, gui::kSeparator, ID_VIEW_ZOOMIN,    ID_VIEW_ZOOMOUT,     gui::kSeparator,
        ID_VIEW_TOP,   ID_VIEW_FRONT,   ID_VIEW_SIDE,      ID_VIEW_PERSPECTIVE, gui::kSeparator,
        ID_VIEW_RESET, gui::kSeparator, ID_VIEW_WIREFRAME, ID_EDIT_VERTEXTOOL,
    };
    return layout;
}

namespace {

constexpr std::array kContextItems = {
    CommandInfo{ID_OBJECT_VIEW, "&View..."},  CommandInfo{ID_OBJECT_EXPORT, "&Export..."},
    CommandInfo{ID_POLYGON_VIEW, "&View..."}, CommandInfo{ID_POLYGON_EXPORT, "&Export..."},
    CommandInfo{ID_VERTEX_EDIT, "&Edit..."},
};

} // namespace

const CommandInfo* FindCommand(int id)
{
    for (const CommandInfo& c : kContextItems)
        if (c.id == id)
            return &c;
    return nullptr;
}

} // namespace qm4edit
