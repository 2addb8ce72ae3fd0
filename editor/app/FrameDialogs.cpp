#include "editor/app/MainFrame.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

#include "editor/app/Commands.h"
#include "editor/app/EditorStrings.h"
#include "editor/app/Icons.h"
#include "editor/app/QM4EditAssoc.h"
#include "editor/ortho/QM4EditView.h"
#include "editor/perspective/PerspectiveView.h"
#include "editor/tree/QM4EditTreeView.h"
#include "gui/FileAssocDlg.h"
#include "gui/GuiPrompt.h"

// The frame's commands that run a dialog: the colours, the associations and the About box;
// and its hooks for the inspectors and the CSV and model exchange, which CExchangeCommands
// runs with the context the frame gives.

namespace qm4edit {

CommandContext CMainFrame::Context()
{
    return CommandContext{m_doc,
                          m_prompt,
                          m_dialogRunner,
                          this,
                          [this](const char* what, std::vector<scene::VertexChange> changes) {
                              ApplyEdit(what, scene::CVertexEdit(std::move(changes)));
                          },
                          [this](const char* what, scene::CSceneEdit edit) { ApplyEdit(what, std::move(edit)); }};
}

void CMainFrame::ShowEditVertexDialog(int vertexIndex)
{
    m_exchange.ShowEditVertexDialog(vertexIndex);
}

void CMainFrame::ShowObjectInfoDialog(int objectIndex)
{
    m_exchange.ShowObjectInfoDialog(objectIndex);
}

void CMainFrame::ShowPolygonInfoDialog(int objectIndex, int polygonIndex)
{
    m_exchange.ShowPolygonInfoDialog(objectIndex, polygonIndex);
}

void CMainFrame::ExportObjectCsv(int objectIndex)
{
    m_exchange.ExportObjectCsv(objectIndex);
}

void CMainFrame::ExportPolygonCsv(int objectIndex, int polygonIndex)
{
    m_exchange.ExportPolygonCsv(objectIndex, polygonIndex);
}

void CMainFrame::OnFileImport()
{
    m_exchange.ImportCsv(m_pTreeView->GetSelectedKind(), m_pTreeView->GetSelectedData());
}

void CMainFrame::OnFileExport()
{
    m_exchange.ExportCsv(m_pTreeView->GetSelectedKind(), m_pTreeView->GetSelectedData());
}

void CMainFrame::OnFileExportModel()
{
    m_exchange.ExportModel(m_strPathName.isEmpty() ? QDir::currentPath() : QFileInfo(m_strPathName).absolutePath());
}

void CMainFrame::OnFileImportModel()
{
    m_exchange.ImportModel();
}

void CMainFrame::OnColor(int id)
{
    CQM4EditView& view = *m_pSceneView;
    std::uint32_t initial = 0;
    switch (id) {
    case ID_OPTIONS_PRIMARYCOLOR: initial = view.GetMainColor(); break;
    case ID_OPTIONS_SECONDARYCOLOR1: initial = view.GetExtraColor1(); break;
    case ID_OPTIONS_SECONDARYCOLOR2: initial = view.GetExtraColor2(); break;
    case ID_OPTIONS_WIRECOLOR: initial = view.GetWireColor(); break;
    default: initial = view.GetHiliteColor(); break;
    }
    const std::optional<std::uint32_t> chosen = m_prompt.ChooseColor(initial);
    if (!chosen)
        return;
    switch (id) {
    case ID_OPTIONS_PRIMARYCOLOR: view.SetMainColor(*chosen); break;
    case ID_OPTIONS_SECONDARYCOLOR1: view.SetExtraColor1(*chosen); break;
    case ID_OPTIONS_SECONDARYCOLOR2: view.SetExtraColor2(*chosen); break;
    case ID_OPTIONS_WIRECOLOR: view.SetWireColor(*chosen); break;
    default: view.SetHiliteColor(*chosen); break;
    }
    if (m_pPerspectiveView)
        m_pPerspectiveView->SetHiliteColor(view.GetHiliteColor());
}

void CMainFrame::OnOptionsAssociations()
{
    gui::RunFileAssocDialog(this, QM4EditAssocValues(), m_prompt);
}

void CMainFrame::OnAppAbout()
{
    QDialog dialog(this);
    dialog.setObjectName("IDD_ABOUTBOX");
    dialog.setWindowTitle(QString(ABOUT_CAPTION));
    auto* icon = new QLabel(&dialog);
    icon->setObjectName("icon");
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    auto* text = new QLabel(QString(ABOUT_TEXT), &dialog);
    text->setObjectName("version");
    auto* ok = new QPushButton(QString(ABOUT_OK), &dialog);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addWidget(text, 1);
    row->addWidget(ok, 0, Qt::AlignTop);
    dialog.setLayout(row);
    RunDialog(dialog);
}

} // namespace qm4edit
