// The View menu's rows: the window's controls, the projections, zoom, the perspective view,
// fitting and the wireframe. The grid's rows came with the editing tools (EditCommands.cpp).

#include <QAction>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>

#include "editor/app/Commands.h"
#include "editor/app/Icons.h"
#include "editor/app/MainFrame.h"
#include "editor/app/ScenePanes.h"
#include "editor/app/SplitKeyMode.h"
#include "editor/ortho/QM4EditView.h"
#include "editor/perspective/PerspectiveStrings.h"
#include "editor/perspective/PerspectiveView.h"

namespace qm4edit {

void AddViewCommands(gui::CommandModel& c, CMainFrame& frame)
{
    scene::CQM4EditDoc& doc = frame.GetActiveDocument();
    CScenePanes& panes = frame.Panes();
    CQM4EditView* view = frame.GetSceneView();
    CPerspectiveView* perspective = frame.GetPerspectiveView();
    const auto loaded = [&doc] { return doc.IsLoaded(); };
    const auto projectionIs = [&frame, view](Projection p) {
        return [&frame, view, p] { return !frame.IsPerspective() && view->GetProjection() == p; };
    };
    // Each projection puts the orthographic view back in the perspective view's place.
    const auto project = [&frame, view](Projection p) {
        return [&frame, view, p] {
            frame.ShowPerspective(false);
            view->SetProjection(p);
        };
    };

    c.Add({.id = ID_VIEW_TOOLBAR,
           .text = "&Toolbar",
           .prompt = "Show or hide the toolbar\nToggle ToolBar",
           .checkable = true,
           .checked = [&frame] { return !frame.GetToolBar()->isHidden(); },
           .run = [&frame] { frame.GetToolBar()->setVisible(frame.GetToolBar()->isHidden()); }});
    c.Add({.id = ID_VIEW_STATUS_BAR,
           .text = "&Status Bar",
           .prompt = "Show or hide the status bar\nToggle StatusBar",
           .checkable = true,
           .checked = [&frame] { return !frame.statusBar()->isHidden(); },
           .run = [&frame] { frame.statusBar()->setVisible(frame.statusBar()->isHidden()); }});
    c.Add({.id = ID_WINDOW_SPLIT,
           .text = "S&plit",
           .prompt = "Split the active window into panes\nSplit",
           .run = [&frame] { frame.SplitMode().Start(); }});
    c.Add({.id = ID_VIEW_TOP,
           .text = "&Top",
           .prompt = "Set view to Overhead (X-Z)\nOverhead View",
           .icon = ToolbarIcon(ID_VIEW_TOP),
           .group = "projection",
           .enabled = loaded,
           .checked = projectionIs(Projection::Top),
           .run = project(Projection::Top)});
    c.Add({.id = ID_VIEW_FRONT,
           .text = "&Front",
           .prompt = "Set view to Front (X-Y)\nFront View",
           .icon = ToolbarIcon(ID_VIEW_FRONT),
           .group = "projection",
           .enabled = loaded,
           .checked = projectionIs(Projection::Front),
           .run = project(Projection::Front)});
    c.Add({.id = ID_VIEW_SIDE,
           .text = "&Side",
           .prompt = "Set view to Side (Z-Y)\nSide View",
           .icon = ToolbarIcon(ID_VIEW_SIDE),
           .group = "projection",
           .enabled = loaded,
           .checked = projectionIs(Projection::Side),
           .run = project(Projection::Side)});
    c.Add({.id = ID_VIEW_ZOOMIN,
           .text = "Zoom &In",
           .prompt = "Increase zoom factor\nZoom In",
           .icon = ToolbarIcon(ID_VIEW_ZOOMIN),
           .enabled = loaded,
           .run = [&frame, view, perspective] { frame.IsPerspective() ? perspective->ZoomIn() : view->ZoomIn(); }});
    c.Add({.id = ID_VIEW_ZOOMOUT,
           .text = "Zoom &Out",
           .prompt = "Decrease zoom factor\nZoom Out",
           .icon = ToolbarIcon(ID_VIEW_ZOOMOUT),
           .enabled = loaded,
           .run = [&frame, view, perspective] { frame.IsPerspective() ? perspective->ZoomOut() : view->ZoomOut(); }});
    c.Add({.id = ID_VIEW_RESET,
           .text = "&Reset View",
           .prompt = "Go back to default view - Overhead, Zoom Factor 1, Center\nReset View",
           .icon = ToolbarIcon(ID_VIEW_RESET),
           .enabled = loaded,
           .run = [&frame, view] {
               frame.ShowPerspective(false);
               view->ResetView();
           }});
    // The textured 3D view takes the viewport's place; greyed, with the reason, without OpenGL.
    c.Add({.id = ID_VIEW_PERSPECTIVE,
           .text = "P&erspective\tP",
           .prompt = "Set view to Perspective, textured\nPerspective View",
           .keys = {Qt::Key_P},
           .icon = ToolbarIcon(ID_VIEW_PERSPECTIVE),
           .group = "projection",
           .focusScope = panes.ViewStack(),
           .enabled = [&doc, perspective] { return doc.IsLoaded() && perspective; },
           .checked = [&frame] { return frame.IsPerspective(); },
           .run = [&frame] { frame.ShowPerspective(true); }});
    c.Add({.id = ID_VIEW_FLIPTEXTUREV,
           .text = "Flip Texture &V",
           .prompt = "Count texture v upwards from the bottom row, for scenes made that way\nFlip Texture V",
           .checkable = true,
           .enabled = [perspective] { return perspective != nullptr; },
           .checked = [perspective] { return perspective && perspective->FlipTextureV(); },
           .run = [&panes] { panes.ToggleFlipTextureV(); }});
    if (!panes.NoPerspective().isEmpty()) {
        const QString why = QString(PERSPECTIVE_UNAVAILABLE).arg(panes.NoPerspective());
        c.Action(ID_VIEW_PERSPECTIVE)->setStatusTip(why);
        c.Action(ID_VIEW_PERSPECTIVE)->setToolTip(why);
    }
    // The viewport's own keys act only while it has focus, so the tree keeps its Home and type-ahead.
    c.Add({.id = ID_VIEW_FITSCENE,
           .text = "Fit Sce&ne\tHome",
           .prompt = "Zoom and center so that the whole scene shows\nFit Scene",
           .keys = {Qt::Key_Home},
           .focusScope = view,
           .enabled = loaded,
           .run = [view] { view->FitScene(); }});
    c.Add({.id = ID_VIEW_FITSELECTION,
           .text = "Fit Se&lection\tF",
           .prompt = "Zoom and center so that the selected item shows\nFit Selection",
           .keys = {Qt::Key_F},
           .focusScope = view,
           .enabled = loaded,
           .run = [view] { view->FitSelection(); }});
    c.Add({.id = ID_VIEW_WIREFRAME,
           .text = "&Wireframe\tW",
           .prompt = "Show or hide the outlines of every polygon\nWireframe",
           .keys = {Qt::Key_W},
           .icon = ToolbarIcon(ID_VIEW_WIREFRAME),
           .checkable = true,
           .focusScope = panes.ViewStack(),
           .enabled = loaded,
           .checked = [view] { return view->IsWireframe(); },
           .run = [&panes, view] { panes.SetWireframe(!view->IsWireframe()); }});
}

} // namespace qm4edit
