#pragma once
// The commands that open an inspector on the scene or exchange it with files (CSV and
// models). Each runs through editor/dialogs/ with the context the frame gives at that moment
// and puts what it has to say in the status bar.

#include <functional>

#include <QString>

#include "editor/EditorTypes.h"
#include "editor/dialogs/DialogCommands.h"

namespace qm4edit {

class CExchangeCommands {
public:
    using ContextSource = std::function<CommandContext()>;
    using StatusSink = std::function<void(const QString&)>;

    CExchangeCommands(ContextSource context, StatusSink status)
        : m_context(std::move(context)), m_status(std::move(status))
    {}

    void ShowEditVertexDialog(int vertexIndex);
    void ShowObjectInfoDialog(int objectIndex);
    void ShowPolygonInfoDialog(int objectIndex, int polygonIndex);
    // File > Import and Export, for the tree's selected item.
    void ImportCsv(TreeItemKind selectedKind, int selectedData);
    void ExportCsv(TreeItemKind selectedKind, int selectedData);
    // The tree's context menus.
    void ExportObjectCsv(int objectIndex);
    void ExportPolygonCsv(int objectIndex, int polygonIndex);
    // Textures are looked up in sceneFolder.
    void ExportModel(const QString& sceneFolder);
    void ImportModel();

private:
    // Shows status unless it is empty.
    void Report(const QString& status);

    ContextSource m_context;
    StatusSink m_status;
};

} // namespace qm4edit
