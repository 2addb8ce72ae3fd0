#include "editor/dialogs/DialogCommands.h"

#include <optional>

#include "editor/dialogs/EditVertexDlg.h"
#include "editor/dialogs/ImportExportTypeDlg.h"
#include "editor/dialogs/ObjectInfoDlg.h"
#include "editor/dialogs/PolygonInfoDlg.h"
#include "gui/GuiPrompt.h"
#include "gui/WaitCursor.h"
#include "common/AtomicFile.h"
#include "interchange/InterchangeMessages.h"
#include "interchange/ModelExport.h"
#include "interchange/ObjImport.h"
#include "editor/app/EditorStrings.h"
#include "scene/csv/CsvExchange.h"
#include "scene/csv/CsvMessages.h"
#include "scene/SceneEdit.h"
#include "scene/VertexEdit.h"

namespace qm4edit {

namespace {

void StoreChanges(const CommandContext& ctx, const char* what, std::vector<scene::VertexChange> changes)
{
    if (ctx.edit) {
        ctx.edit(what, std::move(changes));
        return;
    }
    scene::CVertexEdit edit(std::move(changes));
    edit.Apply(ctx.doc);
}

gui::FileDialogOptions CsvFileDialog(bool open)
{
    gui::FileDialogOptions o;
    o.filter = QString::fromLatin1(scene::CSV_FILTER);
    o.defaultExt = QString::fromLatin1(scene::CSV_EXTENSION).mid(1); // the dialog adds the dot
    o.fileMustExist = open;
    o.overwritePrompt = !open;
    return o;
}

// The type dialog; nullopt when the user cancels.
struct TypeChoice {
    scene::CsvType type;
    bool selectedOnly;
};

std::optional<TypeChoice> AskType(const CommandContext& ctx, bool forObject, TreeItemKind selectedKind)
{
    CImportExportTypeDlg dlg(forObject, selectedKind, ctx.parent);
    if (ctx.runModal(dlg) != QDialog::Accepted)
        return std::nullopt;
    return TypeChoice{dlg.m_nType == 1 ? scene::CSV_UNIQUE_VERTS : scene::CSV_OBJECT_POLYGONS,
                      dlg.m_bSelectedOnly && selectedKind == TreeItemKind::Object};
}

QString WriteExport(const CommandContext& ctx, scene::CsvType type, scene::CsvScope scope)
{
    const std::optional<QString> path = ctx.prompt.GetSaveFileName(CsvFileDialog(false));
    if (!path)
        return {};
    scene::CsvFileResult r;
    {
        gui::WaitCursor wait;
        r = scene::ExportCsvFile(ctx.doc, common::PathFromUtf8(path->toStdString()), type, scope);
    }
    if (!r.ok) {
        ctx.prompt.ShowMessage(r.message, common::MessageIcon::Stop);
        return {};
    }
    if (r.skippedPolygons)
        return QString::fromStdString(scene::CsvSkippedPolygonsMessage(r.skippedPolygons));
    return {};
}

} // namespace

void ShowEditVertexDialog(const CommandContext& ctx, int vertexIndex)
{
    CEditVertexDlg dlg(ctx.prompt, ctx.parent);
    dlg.SetVertex(vertexIndex, &ctx.doc);
    if (ctx.edit)
        dlg.SetEditSink(ctx.edit);
    ctx.runModal(dlg);
}

void ShowObjectInfoDialog(const CommandContext& ctx, int objectIndex)
{
    CObjectInfoDlg dlg(ctx.parent);
    dlg.SetObject(objectIndex, &ctx.doc);
    ctx.runModal(dlg);
}

void ShowPolygonInfoDialog(const CommandContext& ctx, int objectIndex, int polygonIndex)
{
    CPolygonInfoDlg dlg(ctx.prompt, ctx.parent);
    dlg.SetPolygon(objectIndex, polygonIndex, &ctx.doc);
    dlg.SetModalRunner(ctx.runModal);
    ctx.runModal(dlg);
}

QString ImportCsv(const CommandContext& ctx, TreeItemKind selectedKind, int selectedData)
{
    const std::optional<TypeChoice> choice = AskType(ctx, false, selectedKind);
    if (!choice)
        return {};
    const std::optional<QString> path = ctx.prompt.GetOpenFileName(CsvFileDialog(true));
    if (!path)
        return {};
    // Vertex lines name their vertices directly; the check box only restricts polygon lines.
    const int object = choice->type == scene::CSV_OBJECT_POLYGONS && choice->selectedOnly ? selectedData : -1;
    scene::CsvImportPlan r;
    {
        gui::WaitCursor wait;
        r = scene::PlanCsvImportFile(ctx.doc, common::PathFromUtf8(path->toStdString()), choice->type, object);
        if (r.ok)
            StoreChanges(ctx, CSV_IMPORT_STEP, std::move(r.changes));
    }
    if (!r.ok) {
        ctx.prompt.ShowMessage(r.message, common::MessageIcon::Stop);
        return {};
    }
    return QString::fromStdString(r.Summary());
}

QString ExportModel(const CommandContext& ctx, const QString& sceneFolder)
{
    gui::FileDialogOptions o;
    o.filter = QString::fromLatin1(MODEL_EXPORT_FILTER);
    o.defaultExt = "obj";
    o.overwritePrompt = true;
    const std::optional<QString> path = ctx.prompt.GetSaveFileName(o);
    if (!path || path->isEmpty())
        return {};
    interchange::ExportResult r;
    {
        gui::WaitCursor wait;
        r = interchange::ExportModelFile(ctx.doc, common::PathFromUtf8(sceneFolder.toStdString()),
                                         common::PathFromUtf8(path->toStdString()));
    }
    if (!r.ok) {
        ctx.prompt.ShowMessage(r.message, common::MessageIcon::Stop);
        return {};
    }
    return QString::fromStdString(r.Summary());
}

QString ImportModel(const CommandContext& ctx)
{
    gui::FileDialogOptions o;
    o.filter = QString::fromLatin1(MODEL_IMPORT_FILTER);
    o.defaultExt = "obj";
    o.fileMustExist = true;
    const std::optional<QString> path = ctx.prompt.GetOpenFileName(o);
    if (!path || path->isEmpty())
        return {};
    interchange::ObjImportPlan plan;
    {
        gui::WaitCursor wait;
        // The plan reads the file and its material libraries; a refused plan changes nothing.
        const std::filesystem::path file = common::PathFromUtf8(path->toStdString());
        std::vector<std::uint8_t> bytes;
        if (common::ReadWholeFile(file, bytes) != common::ReadStatus::Ok)
            plan.message = interchange::CannotReadMessage(common::PathToUtf8(file));
        else
            plan = interchange::PlanObjImport(
                ctx.doc, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), -1,
                interchange::MtlFromFolder(file.parent_path()));
        if (plan.ok) {
            scene::CSceneEdit edit = plan.MakeEdit(ctx.doc);
            if (ctx.sceneEdit)
                ctx.sceneEdit(MODEL_IMPORT_STEP, std::move(edit));
            else
                edit.Apply(ctx.doc);
        }
    }
    if (!plan.ok) {
        ctx.prompt.ShowMessage(plan.message, common::MessageIcon::Stop);
        return {};
    }
    return QString::fromStdString(plan.Summary());
}

QString ExportCsv(const CommandContext& ctx, TreeItemKind selectedKind, int selectedData)
{
    const std::optional<TypeChoice> choice = AskType(ctx, false, selectedKind);
    if (!choice)
        return {};
    scene::CsvScope scope;
    if (choice->selectedOnly)
        scope.object = selectedData;
    return WriteExport(ctx, choice->type, scope);
}

QString ExportObjectCsv(const CommandContext& ctx, int objectIndex)
{
    const std::optional<TypeChoice> choice = AskType(ctx, true, TreeItemKind::None);
    if (!choice)
        return {};
    return WriteExport(ctx, choice->type, scene::CsvScope{objectIndex, -1});
}

QString ExportPolygonCsv(const CommandContext& ctx, int objectIndex, int polygonIndex)
{
    const std::optional<TypeChoice> choice = AskType(ctx, true, TreeItemKind::None);
    if (!choice)
        return {};
    return WriteExport(ctx, choice->type, scene::CsvScope{objectIndex, polygonIndex});
}

} // namespace qm4edit
