#include "editor/dialogs/EditVertexDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/dialogs/DialogFields.h"
#include "editor/dialogs/DialogStrings.h"
#include "editor/app/EditorStrings.h"

namespace qm4edit {

namespace {
const char* const LABELS[3] = {LABEL_X_OFFSET, LABEL_Y_OFFSET, LABEL_Z_OFFSET};
const char* const NAMES[3] = {"m_fX", "m_fY", "m_fZ"};
} // namespace

CEditVertexDlg::CEditVertexDlg(gui::IGuiPrompt& prompt, QWidget* parent) : CInitDialog(parent), m_prompt(prompt)
{
    setWindowTitle(QString::fromLatin1(EDIT_VERTEX_TITLE));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* fields = new QGridLayout;
    for (int i = 0; i < 3; ++i) {
        m_pEdit[i] = MakeField(this, NAMES[i], false);
        auto* label = new QLabel(QString::fromLatin1(LABELS[i]), this);
        label->setBuddy(m_pEdit[i]);
        fields->addWidget(label, i, 0);
        fields->addWidget(m_pEdit[i], i, 1);
    }

    // Apply is the default button, so Enter in a field applies; Escape closes.
    m_pApply = new QPushButton(QString::fromLatin1(BUTTON_APPLY), this);
    m_pApply->setObjectName("apply");
    m_pApply->setDefault(true);
    auto* close = new QPushButton(QString::fromLatin1(BUTTON_CLOSE), this);
    close->setObjectName("close");
    close->setAutoDefault(false);
    connect(m_pApply, &QPushButton::clicked, this, &CEditVertexDlg::OnOK);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_pApply);
    buttons->addWidget(close);
    buttons->addStretch();

    auto* top = new QHBoxLayout(this);
    top->addLayout(fields);
    top->addLayout(buttons);
}

CEditVertexDlg::~CEditVertexDlg() = default;

void CEditVertexDlg::SetVertex(int vertexIndex, scene::CQM4EditDoc* doc)
{
    m_nVertex = vertexIndex;
    m_pDoc = doc;
}

void CEditVertexDlg::OnInitDialog()
{
    if (m_pDoc) {
        const scene::ObjectVertex v = m_pDoc->GetVertex(m_nVertex);
        m_fX = v.x;
        m_fY = v.y;
        m_fZ = v.z;
    }
    DoDataExchange(false);
}

bool CEditVertexDlg::DoDataExchange(bool saveAndValidate)
{
    float* members[3] = {&m_fX, &m_fY, &m_fZ};
    if (!saveAndValidate) {
        for (int i = 0; i < 3; ++i)
            m_pEdit[i]->setText(FloatText(*members[i]));
        return true;
    }
    float values[3];
    for (int i = 0; i < 3; ++i)
        if (!ReadFloatField(*m_pEdit[i], LABELS[i], values[i], m_prompt))
            return false;
    for (int i = 0; i < 3; ++i)
        *members[i] = values[i];
    return true;
}

void CEditVertexDlg::OnOK()
{
    if (!DoDataExchange(true) || !m_pDoc)
        return;
    if (m_sink)
        m_sink(EDIT_VERTEX_STEP, {scene::VertexChange{m_nVertex, m_fX, m_fY, m_fZ}});
    else
        m_pDoc->SetVertexAndUpdate(m_nVertex, m_fX, m_fY, m_fZ);
}

} // namespace qm4edit
