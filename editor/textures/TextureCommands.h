#pragma once
// Retexturing in the editor: the faces picked in the 3D view or chosen in the tree, the
// Textures pane and its commands (assign, select the faces using a name, rename, add,
// remove), and View > Textures. The frame composes it and hands it what it needs; the
// panes still never hold pointers to one another: this is the part of the mediator that
// connects them for texturing.

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QImage>
#include <QObject>
#include <QString>

#include "editor/EditorTypes.h"
#include "editor/perspective/TextureCache.h"
#include "editor/textures/FaceSelection.h"

class QDialog;
class QMainWindow;

namespace gui {
class CommandModel;
class IGuiPrompt;
} // namespace gui

namespace scene {
class CQM4EditDoc;
class CSceneEdit;
} // namespace scene

namespace qm4edit {

class CPerspectiveView;
class CQM4EditTreeView;
class CTexturesPane;

class CTextureCommands final : public QObject {
    Q_OBJECT

public:
    struct Host {
        QMainWindow& window;
        scene::CQM4EditDoc& doc;
        gui::IGuiPrompt& prompt;
        CQM4EditTreeView& tree;
        CPerspectiveView* perspective = nullptr; // none without OpenGL
        std::function<int(QDialog&)> runDialog;
        // Applies an edit as one undoable step named what.
        std::function<void(const char* what, scene::CSceneEdit edit)> applyEdit;
        std::function<void(const QString&)> status;
        std::function<void()> updateActions;
    };

    explicit CTextureCommands(Host host);
    ~CTextureCommands() override;

    // View > Textures (the row AddTextureCommands adds).
    void AddCommands(gui::CommandModel& commands);

    CTexturesPane& Pane() const { return *m_pPane; }
    const CFaceSelection& Faces() const { return m_faces; }
    // Selects these faces (object and polygon indices; any out of range are dropped).
    void SelectFaces(std::vector<FaceRef> faces);
    void ClearFaces();

    // The document: a new scene (or none) shown, its textures looked up in sceneFolder; the
    // scene emptied or read again (the faces go); its texturing changed (names, polygons'
    // textures or texture coordinates; also after undo and redo).
    void OnNewScene(const std::filesystem::path& sceneFolder);
    void OnSceneReplaced();
    void OnTexturingChanged();

    // The pane's commands, on a texture index.
    void AssignTexture(int texture);
    void SelectFacesUsing(int texture);
    void RenameTexture(int texture);
    void AddTexture();
    void RemoveTexture(int texture);

private:
    void OnFacePicked(int object, int polygon, int how);
    void OnTreeItemSelected(TreeItemKind kind, int object, int polygon);
    void AfterFacesChanged();
    void RefreshRows();
    QImage Thumbnail(const std::string& name);
    // The name typed into the dialog as single-byte text; none when cancelled or refused.
    std::optional<std::string> AskName(const char* title, const std::string& initial);
    // Shows a refusal through the prompt.
    void Refuse(const std::string& message);

    Host m_host;
    CTexturesPane* m_pPane = nullptr; // owned by the window
    CFaceSelection m_faces;
    CTextureCache m_textures; // for the thumbnails, decoded once per scene
    std::map<std::string, QImage> m_thumbnails;
    bool m_bRowsStale = true;
    bool m_bMovingTree = false; // the tree is being moved to follow a pick
};

} // namespace qm4edit
