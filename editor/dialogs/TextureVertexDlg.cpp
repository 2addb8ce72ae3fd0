#include "editor/dialogs/TextureVertexDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "editor/dialogs/DialogFields.h"
#include "editor/dialogs/DialogStrings.h"

namespace qm4edit {

namespace {
const char* const LABELS[2] = {LABEL_U, LABEL_V};
const char* const NAMES[2] = {"m_fU", "m_fV"};
} // namespace

CTextureVertexDlg::CTextureVertexDlg(gui::IGuiPrompt& prompt, QWidget* parent) : CInitDialog(parent), m_prompt(prompt)
{
    setWindowTitle(QString::fromLatin1(TEXTURE_VERTEX_TITLE));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* fields = new QGridLayout;
    for (int i = 0; i < 2; ++i) {
        m_pEdit[i] = MakeField(this, NAMES[i], false);
        auto* label = new QLabel(QString::fromLatin1(LABELS[i]), this);
        label->setBuddy(m_pEdit[i]);
        fields->addWidget(label, i, 0);
        fields->addWidget(m_pEdit[i], i, 1);
    }
    QDialogButtonBox* buttons = MakeOkCancelButtons(this);

    auto* top = new QVBoxLayout(this);
    top->addLayout(fields);
    top->addWidget(buttons);
}

CTextureVertexDlg::~CTextureVertexDlg() = default;

void CTextureVertexDlg::SetTextureVertex(std::uint16_t texVertex, int kind, const scene::CQM4EditDoc* doc)
{
    m_nTexVertex = texVertex;
    m_nKind = kind;
    m_pDoc = doc;
}

void CTextureVertexDlg::OnInitDialog()
{
    if (m_pDoc) {
        // Every kind's record begins with u and v; an index past its list reads as zeros.
        const scene::TextureVertex t = m_pDoc->GetTextureVertex(m_nKind, m_nTexVertex);
        m_fU = t.u;
        m_fV = t.v;
    }
    DoDataExchange(false);
}

bool CTextureVertexDlg::DoDataExchange(bool saveAndValidate)
{
    float* members[2] = {&m_fU, &m_fV};
    if (!saveAndValidate) {
        for (int i = 0; i < 2; ++i)
            m_pEdit[i]->setText(FloatText(*members[i]));
        return true;
    }
    float values[2];
    for (int i = 0; i < 2; ++i)
        if (!ReadFloatField(*m_pEdit[i], LABELS[i], values[i], m_prompt))
            return false;
    m_fU = values[0];
    m_fV = values[1];
    return true;
}

void CTextureVertexDlg::accept()
{
    if (DoDataExchange(true))
        QDialog::accept();
}

} // namespace qm4edit
