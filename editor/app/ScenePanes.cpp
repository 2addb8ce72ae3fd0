#include "editor/app/ScenePanes.h"

#include <algorithm>

#include <QApplication>
#include <QSplitter>
#include <QStackedWidget>

#include "editor/app/EditorStrings.h"
#include "editor/ortho/QM4EditView.h"
#include "editor/perspective/PerspectiveStrings.h"
#include "editor/perspective/PerspectiveView.h"
#include "editor/tree/QM4EditTreeView.h"
#include "gui/Settings.h"

namespace qm4edit {

namespace {

constexpr int kTreePaneWidth = 150;

} // namespace

CScenePanes::CScenePanes(scene::CQM4EditDoc& doc, const ISceneSelection& selection, QWidget* parent)
{
    m_pSplitter = new QSplitter(Qt::Horizontal, parent);
    m_pSplitter->setObjectName("AFX_IDW_PANE_FIRST");
    m_pSplitter->setChildrenCollapsible(true);
    m_pTree = new CQM4EditTreeView(m_pSplitter);
    m_pTree->SetDocument(&doc);
    m_pSceneView = new CQM4EditView(doc, m_pSplitter);
    m_pSceneView->SetSelection(&selection);
    m_pViewStack = new QStackedWidget(m_pSplitter);
    m_pViewStack->addWidget(m_pSceneView);
    m_strNoPerspective = CPerspectiveView::OpenGLUnavailableReason();
    if (m_strNoPerspective.isEmpty()) {
        m_pPerspectiveView = new CPerspectiveView(doc);
        m_pPerspectiveView->SetSelection(&selection);
        m_pPerspectiveView->SetFlipTextureV(gui::ReadProfileInt(APP_TITLE, KEY_FLIP_TEXTURE_V, 0) != 0);
        // The container owns the view from here on.
        m_pPerspectiveHost = QWidget::createWindowContainer(m_pPerspectiveView, m_pViewStack);
        m_pPerspectiveHost->setFocusPolicy(Qt::StrongFocus);
        m_pPerspectiveHost->setMinimumSize(1, 1);
        m_pViewStack->addWidget(m_pPerspectiveHost);
    }
    m_pSplitter->addWidget(m_pTree);
    m_pSplitter->addWidget(m_pViewStack);
    m_pSplitter->setStretchFactor(0, 0);
    m_pSplitter->setStretchFactor(1, 1);
    m_pTree->setMinimumWidth(0);
    m_pSceneView->setMinimumWidth(0);
    m_pViewStack->setMinimumWidth(0);
}

bool CScenePanes::IsPerspective() const
{
    return m_pPerspectiveHost && m_pViewStack->currentWidget() == m_pPerspectiveHost;
}

QWidget* CScenePanes::ActiveView() const
{
    return m_pViewStack->currentWidget();
}

bool CScenePanes::ShowPerspective(bool on)
{
    if (!m_pPerspectiveView || on == IsPerspective())
        return false;
    const bool hadFocus = ActiveView()->hasFocus();
    if (on)
        m_pPerspectiveView->SetHiliteColor(m_pSceneView->GetHiliteColor());
    m_pViewStack->setCurrentWidget(on ? m_pPerspectiveHost : static_cast<QWidget*>(m_pSceneView));
    if (hadFocus)
        ActiveView()->setFocus(Qt::OtherFocusReason);
    return true;
}

void CScenePanes::FocusOtherPane()
{
    QWidget* focus = QApplication::focusWidget();
    const bool inTree = focus && (focus == m_pTree || m_pTree->isAncestorOf(focus));
    if (inTree)
        ActiveView()->setFocus(Qt::ShortcutFocusReason);
    else
        m_pTree->setFocus(Qt::ShortcutFocusReason);
}

void CScenePanes::SizeAtFirstShow()
{
    if (m_bSized)
        return;
    m_bSized = true;
    const int rest = std::max(0, m_pSplitter->width() - kTreePaneWidth - m_pSplitter->handleWidth());
    m_pSplitter->setSizes({kTreePaneWidth, rest});
}

void CScenePanes::RedrawViews()
{
    m_pSceneView->Redraw();
    if (m_pPerspectiveView)
        m_pPerspectiveView->Redraw();
}

void CScenePanes::SetWireframe(bool on)
{
    m_pSceneView->SetWireframe(on);
    if (m_pPerspectiveView)
        m_pPerspectiveView->setWireframe(on);
}

void CScenePanes::ToggleFlipTextureV()
{
    if (!m_pPerspectiveView)
        return;
    const bool flip = !m_pPerspectiveView->FlipTextureV();
    m_pPerspectiveView->SetFlipTextureV(flip);
    gui::WriteProfileInt(APP_TITLE, KEY_FLIP_TEXTURE_V, flip ? 1 : 0);
}

} // namespace qm4edit
