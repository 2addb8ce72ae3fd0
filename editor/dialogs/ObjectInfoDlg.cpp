#include "editor/dialogs/ObjectInfoDlg.h"

#include <string>

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "editor/dialogs/DialogFields.h"
#include "editor/dialogs/DialogStrings.h"

namespace qm4edit {

CObjectInfoDlg::CObjectInfoDlg(QWidget* parent) : CInitDialog(parent)
{
    setWindowTitle(QString::fromLatin1(OBJECT_INFO_TITLE));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QString::fromLatin1(LABEL_OBJECT_BOUNDING_BOX), this), 0, 0, 1, 4);
    const char* const axes[3] = {LABEL_X, LABEL_Y, LABEL_Z};
    for (int a = 0; a < 3; ++a)
        grid->addWidget(new QLabel(QString::fromLatin1(axes[a]), this), 1, a + 1, Qt::AlignHCenter);
    const char* const rows[2] = {LABEL_MIN, LABEL_MAX};
    for (int r = 0; r < 2; ++r) {
        grid->addWidget(new QLabel(QString::fromLatin1(rows[r]), this), r + 2, 0);
        for (int a = 0; a < 3; ++a) {
            const int i = r * 3 + a;
            m_pBox[i] = MakeField(this, ("m_fBox" + std::to_string(i)).c_str(), true);
            grid->addWidget(m_pBox[i], r + 2, a + 1);
        }
    }

    QDialogButtonBox* buttons = MakeOkCancelButtons(this);

    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addWidget(buttons);
}

CObjectInfoDlg::~CObjectInfoDlg() = default;

void CObjectInfoDlg::SetObject(int objectIndex, const scene::CQM4EditDoc* doc)
{
    m_nObject = objectIndex;
    m_pDoc = doc;
}

void CObjectInfoDlg::OnInitDialog()
{
    if (m_pDoc) {
        const scene::Box b = m_pDoc->GetObjectRecord(m_nObject).bounds;
        for (int a = 0; a < 3; ++a) {
            m_fBox[a] = b.min[a];
            m_fBox[3 + a] = b.max[a];
        }
    }
    DoDataExchange();
}

void CObjectInfoDlg::DoDataExchange()
{
    for (int i = 0; i < 6; ++i)
        m_pBox[i]->setText(FloatText(m_fBox[i]));
}

} // namespace qm4edit
