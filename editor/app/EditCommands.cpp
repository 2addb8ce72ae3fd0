// The Edit menu's rows: the clipboard commands, and undo with the editing tools that came
// with it (the model exchange of the File menu, the vertex tool, the grid of the View menu).

#include "editor/app/Commands.h"
#include "editor/app/EditorStrings.h"
#include "editor/app/Icons.h"
#include "editor/app/MainFrame.h"
#include "editor/ortho/QM4EditView.h"
#include "editor/tools/VertexTool.h"

namespace qm4edit {

void AddClipboardCommands(gui::CommandModel& c)
{
    // Nothing handles the clipboard commands: they stay greyed. Undo is a row of its own.
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
}

void AddEditingCommands(gui::CommandModel& c, CMainFrame& frame)
{
    scene::CQM4EditDoc& doc = frame.GetActiveDocument();
    CUndoCommands& undo = frame.Edits();
    CQM4EditView* view = frame.GetSceneView();
    const auto loaded = [&doc] { return doc.IsLoaded(); };

    // The Undo and Redo texts name the step (CUndoCommands::UpdateUndoTexts).
    c.Add({.id = ID_EDIT_UNDO,
           .text = UNDO_TEXT,
           .prompt = "Undo the last action\nUndo",
           .keys = {Qt::CTRL | Qt::Key_Z, Qt::ALT | Qt::Key_Backspace},
           .enabled = [&undo] { return undo.History().CanUndo(); },
           .run = [&undo] { undo.OnEditUndo(); }});
    c.Add({.id = ID_EDIT_REDO,
           .text = REDO_TEXT,
           .prompt = "Redo the previously undone action\nRedo",
           .keys = {Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::SHIFT | Qt::Key_Z},
           .enabled = [&undo] { return undo.History().CanRedo(); },
           .run = [&undo] { undo.OnEditRedo(); }});
    c.Add({.id = ID_FILE_EXPORT_MODEL,
           .text = "Export &Model...",
           .prompt = "Write the scene as a Wavefront OBJ or a glTF Binary model\nExport Model",
           .enabled = loaded,
           .run = [&frame] { frame.Exchange().ExportModel(frame.Documents().SceneFolder()); }});
    c.Add({.id = ID_FILE_IMPORT_MODEL,
           .text = "Import Mo&del...",
           .prompt = "Move the vertices to the positions of an OBJ model of this scene\nImport Model",
           .enabled = loaded,
           .run = [&frame] { frame.Exchange().ImportModel(); }});
    c.Add({.id = ID_EDIT_VERTEXTOOL,
           .text = "&Vertex Tool\tV",
           .prompt = "Drag vertices in the view; drag on empty space to select several\nVertex Tool",
           .keys = {Qt::Key_V},
           .icon = ToolbarIcon(ID_EDIT_VERTEXTOOL),
           .checkable = true,
           .focusScope = view,
           .enabled = loaded,
           .checked = [view] { return view->VertexTool().IsActive(); },
           .run = [view] { view->VertexTool().SetActive(!view->VertexTool().IsActive()); }});
    // The grid belongs to the orthographic view; its keys act while that view has focus.
    c.Add({.id = ID_VIEW_GRID,
           .text = "&Grid\tG",
           .prompt = "Show or hide the grid; while shown, moved vertices land on its points\nGrid",
           .keys = {Qt::Key_G},
           .checkable = true,
           .focusScope = view,
           .enabled = loaded,
           .checked = [view] { return view->IsGrid(); },
           .run = [view] { view->SetGrid(!view->IsGrid()); }});
    c.Add({.id = ID_VIEW_GRID_FINER,
           .text = "&Halve Grid Step\t[",
           .prompt = "Halve the grid step, down to 1/8 unit\nHalve Grid Step",
           .keys = {Qt::Key_BracketLeft},
           .focusScope = view,
           .enabled = [&doc, view] { return doc.IsLoaded() && view->CanHalveGridStep(); },
           .run = [view] { view->HalveGridStep(); }});
    c.Add({.id = ID_VIEW_GRID_COARSER,
           .text = "&Double Grid Step\t]",
           .prompt = "Double the grid step, up to 4096 units\nDouble Grid Step",
           .keys = {Qt::Key_BracketRight},
           .focusScope = view,
           .enabled = [&doc, view] { return doc.IsLoaded() && view->CanDoubleGridStep(); },
           .run = [view] { view->DoubleGridStep(); }});
}

} // namespace qm4edit
