#pragma once
// The main window's client area: a splitter with the tree pane on the left and, on the right,
// a stack holding the orthographic view and, where OpenGL works, the perspective view. It
// builds the panes and switches between the views; the frame connects their signals.

#include <QString>

class QSplitter;
class QStackedWidget;
class QWidget;

namespace scene {
class CQM4EditDoc;
}

namespace qm4edit {

class ISceneSelection;
class CQM4EditTreeView;
class CQM4EditView;
class CPerspectiveView;

class CScenePanes {
public:
    // The widgets belong to parent; selection is what the views outline.
    CScenePanes(scene::CQM4EditDoc& doc, const ISceneSelection& selection, QWidget* parent);

    QSplitter* Splitter() const { return m_pSplitter; }
    CQM4EditTreeView* Tree() const { return m_pTree; }
    CQM4EditView* SceneView() const { return m_pSceneView; }
    QStackedWidget* ViewStack() const { return m_pViewStack; }
    // Null when no OpenGL context can be made here; then NoPerspective says why.
    CPerspectiveView* PerspectiveView() const { return m_pPerspectiveView; }
    const QString& NoPerspective() const { return m_strNoPerspective; }

    bool IsPerspective() const;
    // The view the stack shows.
    QWidget* ActiveView() const;
    // Shows the perspective view (or the orthographic one back), keeping the focus in the
    // stack; false when nothing changed.
    bool ShowPerspective(bool on);
    // F6: with two panes the next and the previous one are the same.
    void FocusOtherPane();
    // The tree pane opens 150 pixels wide at the first show; the views take the rest.
    void SizeAtFirstShow();
    void RedrawViews();
    void SetWireframe(bool on);
    // View > Flip Texture V, kept in the settings; nothing without the perspective view.
    void ToggleFlipTextureV();

private:
    QSplitter* m_pSplitter = nullptr;
    CQM4EditTreeView* m_pTree = nullptr;
    CQM4EditView* m_pSceneView = nullptr;
    QStackedWidget* m_pViewStack = nullptr;
    CPerspectiveView* m_pPerspectiveView = nullptr;
    QWidget* m_pPerspectiveHost = nullptr; // the window container showing it
    QString m_strNoPerspective;
    bool m_bSized = false;
};

} // namespace qm4edit
