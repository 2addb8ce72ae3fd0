#include "editor/textures/TextureCommands.h"

#include <algorithm>

#include <QMainWindow>

#include "editor/app/Commands.h"
#include "editor/app/MainFrame.h"
#include "editor/perspective/PerspectiveView.h"
#include "editor/textures/TextureNameDlg.h"
#include "editor/textures/TextureStrings.h"
#include "editor/textures/TexturesPane.h"
#include "editor/tree/QM4EditTreeView.h"
#include "gui/CommandModel.h"
#include "gui/GuiPrompt.h"
#include "scene/QM4EditDoc.h"
#include "scene/SceneEdit.h"

namespace qm4edit {

namespace {

constexpr int kThumbnailSize = 32;

QString Latin1(const std::string& bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QImage ToImage(const texture::RgbaImage& image)
{
    if (image.width <= 0 || image.height <= 0)
        return {};
    const QImage view(image.rgba.data(), image.width, image.height, image.width * 4, QImage::Format_RGBA8888);
    return view.scaled(kThumbnailSize, kThumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

CTextureCommands::CTextureCommands(Host host) : m_host(std::move(host))
{
    m_pPane = new CTexturesPane(&m_host.window);
    m_host.window.addDockWidget(Qt::LeftDockWidgetArea, m_pPane);
    // Shown from View > Textures; the window opens as it always has.
    m_pPane->hide();
    connect(m_pPane, &CTexturesPane::AssignRequested, this, &CTextureCommands::AssignTexture);
    connect(m_pPane, &CTexturesPane::SelectFacesUsingRequested, this, &CTextureCommands::SelectFacesUsing);
    connect(m_pPane, &CTexturesPane::RenameRequested, this, &CTextureCommands::RenameTexture);
    connect(m_pPane, &CTexturesPane::AddRequested, this, &CTextureCommands::AddTexture);
    connect(m_pPane, &CTexturesPane::RemoveRequested, this, &CTextureCommands::RemoveTexture);
    connect(m_pPane, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible && m_bRowsStale)
            RefreshRows();
        m_host.updateActions();
    });
    connect(&m_host.tree, &CQM4EditTreeView::ItemSelected, this, &CTextureCommands::OnTreeItemSelected);
    if (m_host.perspective) {
        m_host.perspective->SetFaceSelection(&m_faces);
        connect(m_host.perspective, &CPerspectiveView::FacePicked, this, &CTextureCommands::OnFacePicked);
        connect(m_host.perspective, &CPerspectiveView::FaceSelectionClearRequested, this,
                &CTextureCommands::ClearFaces);
    }
    AfterFacesChanged();
}

CTextureCommands::~CTextureCommands()
{
    disconnect(&m_host.tree, nullptr, this, nullptr);
    if (m_host.perspective) {
        disconnect(m_host.perspective, nullptr, this, nullptr);
        m_host.perspective->SetFaceSelection(nullptr);
    }
}

void CTextureCommands::AddCommands(gui::CommandModel& commands)
{
    commands.Add({.id = ID_VIEW_TEXTURES,
                  .text = VIEW_TEXTURES_TEXT,
                  .prompt = VIEW_TEXTURES_PROMPT,
                  .checkable = true,
                  .checked = [this] { return !m_pPane->isHidden(); },
                  .run =
                      [this] {
                          const bool show = m_pPane->isHidden();
                          if (show && m_bRowsStale)
                              RefreshRows();
                          m_pPane->setVisible(show);
                      }});
}

// ---------------------------------------------------------------------------------------
// The picked faces

void CTextureCommands::SelectFaces(std::vector<FaceRef> faces)
{
    const scene::CQM4EditDoc& doc = m_host.doc;
    std::erase_if(faces, [&doc](const FaceRef& f) {
        return f.object < 0 || f.object >= doc.GetObjectCount() || f.polygon < 0 ||
            f.polygon >= doc.GetPolygonCount(f.object);
    });
    const std::uint64_t before = m_faces.Generation();
    m_faces.Set(std::move(faces));
    if (m_faces.Generation() != before)
        AfterFacesChanged();
}

void CTextureCommands::ClearFaces()
{
    if (m_faces.IsEmpty())
        return;
    m_faces.Clear();
    AfterFacesChanged();
}

void CTextureCommands::OnFacePicked(int object, int polygon, int how)
{
    const FaceRef face{object, polygon};
    const bool hit = object >= 0 && polygon >= 0;
    if (m_faces.Pick(hit ? &face : nullptr, static_cast<FacePick>(how)))
        AfterFacesChanged();
    if (!hit) {
        m_host.status(QString());
        return;
    }
    m_host.status(QString(STATUS_FACE_PICKED)
                      .arg(object + 1)
                      .arg(polygon + 1)
                      .arg(Latin1(m_host.doc.GetTextureName(m_host.doc.GetPolygon(object, polygon).texture))));
    // The tree shows a lone picked face as its polygon item.
    if (m_faces.Count() == 1) {
        const FaceRef only = m_faces.Faces().front();
        m_bMovingTree = true;
        m_host.tree.SelectPolygon(only.object, only.polygon);
        m_bMovingTree = false;
    }
}

void CTextureCommands::OnTreeItemSelected(TreeItemKind kind, int object, int polygon)
{
    if (m_bMovingTree)
        return;
    if (kind == TreeItemKind::Polygon) {
        SelectFaces({FaceRef{object, polygon}});
    } else if (kind == TreeItemKind::Object) {
        std::vector<FaceRef> faces(static_cast<std::size_t>(std::max(m_host.doc.GetPolygonCount(object), 0)));
        for (std::size_t p = 0; p < faces.size(); ++p)
            faces[p] = {object, static_cast<int>(p)};
        SelectFaces(std::move(faces));
    }
    // A corner names a vertex, not a face: the picked faces stay.
}

void CTextureCommands::AfterFacesChanged()
{
    if (m_host.perspective)
        m_host.perspective->FaceSelectionChanged();
    m_pPane->SetState(!m_faces.IsEmpty(), m_host.doc.IsLoaded());
}

// ---------------------------------------------------------------------------------------
// The document

void CTextureCommands::OnNewScene(const std::filesystem::path& sceneFolder)
{
    m_textures.SetSceneFolder(sceneFolder);
    m_thumbnails.clear();
    OnSceneReplaced();
}

void CTextureCommands::OnSceneReplaced()
{
    m_faces.Clear();
    AfterFacesChanged();
    OnTexturingChanged();
}

void CTextureCommands::OnTexturingChanged()
{
    m_bRowsStale = true;
    // A hidden pane is brought up to date when it shows.
    if (!m_pPane->isHidden())
        RefreshRows();
}

QImage CTextureCommands::Thumbnail(const std::string& name)
{
    auto it = m_thumbnails.find(name);
    if (it == m_thumbnails.end())
        it = m_thumbnails.emplace(name, ToImage(m_textures.Get(name))).first;
    return it->second;
}

void CTextureCommands::RefreshRows()
{
    m_bRowsStale = false;
    const scene::CQM4EditDoc& doc = m_host.doc;
    std::vector<CTexturesPane::Row> rows;
    if (doc.IsLoaded()) {
        const std::vector<std::size_t> uses = scene::TextureUseCounts(doc);
        const int count = doc.TextureNames().GetCount();
        rows.reserve(static_cast<std::size_t>(count));
        for (int t = 0; t < count; ++t) {
            const std::string name = doc.GetTextureName(static_cast<std::uint32_t>(t));
            rows.push_back({Thumbnail(name), Latin1(name),
                            static_cast<std::size_t>(t) < uses.size() ? uses[static_cast<std::size_t>(t)] : 0});
        }
    }
    m_pPane->SetRows(rows);
    m_pPane->SetState(!m_faces.IsEmpty(), doc.IsLoaded());
}

// ---------------------------------------------------------------------------------------
// The pane's commands

void CTextureCommands::Refuse(const std::string& message)
{
    m_host.prompt.ShowMessage(message, common::MessageIcon::Exclamation);
}

std::optional<std::string> CTextureCommands::AskName(const char* title, const std::string& initial)
{
    CTextureNameDlg dialog(QString(title), Latin1(initial), &m_host.window);
    if (m_host.runDialog(dialog) != QDialog::Accepted)
        return std::nullopt;
    const QString name = dialog.Name();
    // Names are single bytes: anything past Latin-1 would not come back as typed.
    const bool single = std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    if (!single) {
        Refuse(QString(MSG_TEXTURE_NAME_NOT_LATIN1).arg(name).toStdString());
        return std::nullopt;
    }
    const QByteArray bytes = name.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void CTextureCommands::AssignTexture(int texture)
{
    if (m_faces.IsEmpty() || texture < 0)
        return;
    std::vector<scene::PolygonRef> polygons;
    polygons.reserve(m_faces.Count());
    for (const FaceRef& f : m_faces.Faces())
        polygons.push_back({f.object, f.polygon});
    if (texture > 0xFFFF)
        return;
    auto plan = scene::PlanAssignTexture(m_host.doc, polygons, static_cast<std::uint16_t>(texture));
    if (!plan.ok) {
        Refuse(plan.message);
        return;
    }
    m_host.applyEdit(STEP_ASSIGN_TEXTURE, std::move(plan.edit));
}

void CTextureCommands::SelectFacesUsing(int texture)
{
    if (texture < 0 || texture > 0xFFFF)
        return;
    std::vector<FaceRef> faces;
    for (const scene::PolygonRef& p : scene::PolygonsUsingTexture(m_host.doc, static_cast<std::uint16_t>(texture)))
        faces.push_back({p.object, p.polygon});
    SelectFaces(std::move(faces));
}

void CTextureCommands::RenameTexture(int texture)
{
    if (texture < 0 || texture >= m_host.doc.TextureNames().GetCount())
        return;
    const std::optional<std::string> name =
        AskName(RENAME_TEXTURE_TITLE, m_host.doc.GetTextureName(static_cast<std::uint32_t>(texture)));
    if (!name)
        return;
    auto plan = scene::PlanRenameTexture(m_host.doc, static_cast<std::uint32_t>(texture), *name);
    if (!plan.ok) {
        Refuse(plan.message);
        return;
    }
    m_host.applyEdit(STEP_RENAME_TEXTURE, std::move(plan.edit));
}

void CTextureCommands::AddTexture()
{
    if (!m_host.doc.IsLoaded())
        return;
    const std::optional<std::string> name = AskName(ADD_TEXTURE_TITLE, {});
    if (!name)
        return;
    auto plan = scene::PlanAddTexture(m_host.doc, *name);
    if (!plan.ok) {
        Refuse(plan.message);
        return;
    }
    m_host.applyEdit(STEP_ADD_TEXTURE, std::move(plan.edit));
    m_pPane->SetCurrentTexture(m_host.doc.TextureNames().GetCount() - 1);
}

void CTextureCommands::RemoveTexture(int texture)
{
    if (texture < 0)
        return;
    auto plan = scene::PlanRemoveTexture(m_host.doc, static_cast<std::uint32_t>(texture));
    if (!plan.ok) {
        Refuse(plan.message);
        return;
    }
    m_host.applyEdit(STEP_REMOVE_TEXTURE, std::move(plan.edit));
}

void AddTextureCommands(gui::CommandModel& c, CMainFrame& frame)
{
    frame.Textures().AddCommands(c);
}

} // namespace qm4edit
