#include "editor/dialogs/ImportExportTypeDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editor/dialogs/DialogStrings.h"

namespace qm4edit {

CImportExportTypeDlg::CImportExportTypeDlg(bool forObject, TreeItemKind selectedKind, QWidget* parent)
    : CInitDialog(parent), m_bForObject(forObject), m_selectedKind(selectedKind)
{
    setWindowTitle(QString::fromLatin1(IMPORT_EXPORT_TYPE_TITLE));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* group = new QButtonGroup(this);
    m_pType[0] = new QRadioButton(QString::fromLatin1(LABEL_OBJECT_POLYGONS), this);
    m_pType[0]->setObjectName("objectPolygons");
    m_pType[1] = new QRadioButton(QString::fromLatin1(LABEL_UNIQUE_VERTS), this);
    m_pType[1]->setObjectName("uniqueVerts");
    group->addButton(m_pType[0], 0);
    group->addButton(m_pType[1], 1);
    m_pSelectedOnly = new QCheckBox(QString::fromLatin1(LABEL_SELECTED_ONLY), this);
    m_pSelectedOnly->setObjectName("selectedOnly");

    QDialogButtonBox* buttons = MakeOkCancelButtons(this);

    auto* top = new QVBoxLayout(this);
    top->addWidget(m_pType[0]);
    top->addWidget(m_pType[1]);
    top->addWidget(m_pSelectedOnly);
    top->addWidget(buttons);
}

CImportExportTypeDlg::~CImportExportTypeDlg() = default;

void CImportExportTypeDlg::OnInitDialog()
{
    // Restricting to the selection only makes sense when an object is selected; for one
    // given object there is nothing to restrict.
    m_bSelectedOnly = !m_bForObject && m_selectedKind == TreeItemKind::Object;
    m_pSelectedOnly->setEnabled(m_bSelectedOnly);
    DoDataExchange(false);
}

void CImportExportTypeDlg::DoDataExchange(bool saveAndValidate)
{
    if (saveAndValidate) {
        m_nType = m_pType[1]->isChecked() ? 1 : 0;
        m_bSelectedOnly = m_pSelectedOnly->isChecked();
    } else {
        m_pType[m_nType == 1 ? 1 : 0]->setChecked(true);
        m_pSelectedOnly->setChecked(m_bSelectedOnly);
    }
}

void CImportExportTypeDlg::accept()
{
    DoDataExchange(true);
    QDialog::accept();
}

} // namespace qm4edit
