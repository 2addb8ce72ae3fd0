#include "editor/app/FrameDialogs.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "editor/app/Commands.h"
#include "editor/app/EditorStrings.h"
#include "editor/app/Icons.h"
#include "editor/app/MainFrame.h"
#include "editor/app/QM4EditAssoc.h"
#include "editor/ortho/QM4EditView.h"
#include "editor/perspective/PerspectiveView.h"
#include "gui/FileAssocDlg.h"
#include "gui/GuiPrompt.h"

namespace qm4edit {

void CFrameDialogs::OnColor(int id)
{
    CQM4EditView& view = *m_frame.GetSceneView();
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
    if (CPerspectiveView* perspective = m_frame.GetPerspectiveView())
        perspective->SetHiliteColor(view.GetHiliteColor());
}

void CFrameDialogs::OnOptionsAssociations()
{
    gui::RunFileAssocDialog(&m_frame, QM4EditAssocValues(), m_prompt);
}

void CFrameDialogs::OnAppAbout()
{
    QDialog dialog(&m_frame);
    dialog.setObjectName("IDD_ABOUTBOX");
    dialog.setWindowTitle(QString(ABOUT_CAPTION));
    auto* icon = new QLabel(&dialog);
    icon->setObjectName("icon");
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    auto* text = new QLabel(QString(ABOUT_TEXT), &dialog);
    text->setObjectName("version");
    auto* ok = new QPushButton(QString(ABOUT_OK), &dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addWidget(text, 1);
    row->addWidget(ok, 0, Qt::AlignTop);
    dialog.setLayout(row);
    m_frame.RunDialog(dialog);
}

} // namespace qm4edit
