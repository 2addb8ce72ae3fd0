#pragma once
// The commands behind the main frame's hooks: the inspector dialogs opened from the tree,
// and CSV import and export from the File menu and the context menus. Each runs its dialogs
// through the given runner and every message and file dialog through the prompt, so tests
// drive them headless.

#include <functional>

#include <QString>

#include "editor/dialogs/DialogFields.h"
#include "editor/dialogs/EditVertexDlg.h"
#include "editor/EditorTypes.h"
#include "scene/QM4EditDoc.h"
#include "scene/SceneEdit.h"

class QWidget;

namespace gui {
class IGuiPrompt;
}

namespace qm4edit {

struct CommandContext {
    scene::CQM4EditDoc& doc;
    gui::IGuiPrompt& prompt;
    ModalRunner runModal = ExecModal;
    QWidget* parent = nullptr;
    // Takes every change to the scene as one undoable step; empty: changes apply directly.
    EditSink edit = {};
    // The same for an edit of more than positions (a model import), given not yet applied.
    std::function<void(const char* what, scene::CSceneEdit edit)> sceneEdit = {};
};

void ShowEditVertexDialog(const CommandContext& ctx, int vertexIndex);
void ShowObjectInfoDialog(const CommandContext& ctx, int objectIndex);
void ShowPolygonInfoDialog(const CommandContext& ctx, int objectIndex, int polygonIndex);

// Each returns the text for the status bar: after an import how many lines were applied and
// skipped; after an export a note on polygons left out. Empty when there is nothing to say
// (cancelled, failed after its message, or done without remark).

// File > "&Import...". selectedKind and selectedData describe the tree's selected item.
QString ImportCsv(const CommandContext& ctx, TreeItemKind selectedKind, int selectedData);
// File > "Export &Model...": an OBJ or a binary glTF of the whole scene, textures looked up
// beside the scene file (sceneFolder).
QString ExportModel(const CommandContext& ctx, const QString& sceneFolder);
// File > "Import Mo&del...": vertex positions, texture coordinates and materials from an OBJ
// whose faces match the scene's, as one undoable step.
QString ImportModel(const CommandContext& ctx);
// File > "&Export...".
QString ExportCsv(const CommandContext& ctx, TreeItemKind selectedKind, int selectedData);
// The object context menu's "&Export...".
QString ExportObjectCsv(const CommandContext& ctx, int objectIndex);
// The polygon context menu's "&Export...": the same dialogs, for that one polygon.
QString ExportPolygonCsv(const CommandContext& ctx, int objectIndex, int polygonIndex);

} // namespace qm4edit
