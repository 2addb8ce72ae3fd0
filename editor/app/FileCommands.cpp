// The File menu's rows: the document's life, CSV exchange for the tree's selection, the
// overlay items, the stand-in for the recent files and Exit.

#include "editor/app/Commands.h"
#include "editor/app/Icons.h"
#include "editor/app/MainFrame.h"

namespace qm4edit {

void AddFileCommands(gui::CommandModel& c, CMainFrame& frame)
{
    scene::CQM4EditDoc& doc = frame.GetActiveDocument();
    CDocumentCommands& documents = frame.Documents();
    const auto loaded = [&doc] { return doc.IsLoaded(); };
    const auto savable = [&doc] { return doc.IsLoaded() && doc.IsModified(); };
    // Kept in the menus, enabled; they have never done anything.
    const auto inert = [] {};

    c.Add({.id = ID_FILE_NEW,
           .prompt = "Create a new document\nNew",
           .keys = {Qt::CTRL | Qt::Key_N},
           .run = [&documents] { documents.NewDocument(); }});
    c.Add({.id = ID_FILE_OPEN,
           .text = "&Open...\tCtrl+O",
           .prompt = "Open an existing document\nOpen",
           .keys = {Qt::CTRL | Qt::Key_O},
           .icon = ToolbarIcon(ID_FILE_OPEN),
           .run = [&documents] { documents.OnFileOpen(); }});
    c.Add({.id = ID_FILE_SAVE,
           .text = "&Save\tCtrl+S",
           .prompt = "Save the active document\nSave",
           .keys = {Qt::CTRL | Qt::Key_S},
           .icon = ToolbarIcon(ID_FILE_SAVE),
           .enabled = savable,
           .run = [&documents] { documents.DoFileSave(); }});
    c.Add({.id = ID_FILE_SAVE_AS,
           .text = "Save &As...",
           .prompt = "Save the active document with a new name\nSave As",
           .enabled = savable,
           .run = [&documents] { documents.DoSaveAs(); }});
    c.Add({.id = ID_FILE_IMPORT, .text = "&Import...", .enabled = loaded, .run = [&frame] {
               frame.Exchange().ImportCsv(frame.GetSelectedKind(), frame.GetSelectedData());
           }});
    c.Add({.id = ID_FILE_EXPORT, .text = "&Export...", .enabled = loaded, .run = [&frame] {
               frame.Exchange().ExportCsv(frame.GetSelectedKind(), frame.GetSelectedData());
           }});
    c.Add({.id = ID_OVERLAY_ALP, .text = "&ALP", .run = inert});
    c.Add({.id = ID_OVERLAY_REC, .text = "&REC", .run = inert});
    // Stands in the File menu for the recent files while there are none.
    c.Add({.id = ID_FILE_MRU_FILE1, .text = "Recent File", .prompt = "Open this document"});
    c.Add({.id = ID_APP_EXIT,
           .text = "E&xit",
           .prompt = "Quit the application; prompts to save documents\nExit",
           .run = [&frame] { frame.close(); }});
}

} // namespace qm4edit
