#include "editor/dialogs/PolygonInfoDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/dialogs/DialogStrings.h"
#include "editor/dialogs/TextureVertexDlg.h"

namespace qm4edit {

CPolygonInfoDlg::CPolygonInfoDlg(gui::IGuiPrompt& prompt, QWidget* parent) : CInitDialog(parent), m_prompt(prompt)
{
    setWindowTitle(QString::fromLatin1(POLYGON_INFO_TITLE));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* grid = new QGridLayout;
    const char* const headings[5] = {LABEL_VERTEX_ID, LABEL_X, LABEL_Y, LABEL_Z, LABEL_TEXTURE_VERTS};
    for (int c = 0; c < 5; ++c)
        grid->addWidget(new QLabel(QString::fromLatin1(headings[c]), this), 0, c, Qt::AlignHCenter);
    for (int row = 0; row < 3; ++row) {
        m_pVertexId[row] = MakeField(this, ("m_nVertexId" + std::to_string(row)).c_str(), true);
        grid->addWidget(m_pVertexId[row], row + 1, 0);
        for (int axis = 0; axis < 3; ++axis) {
            const int i = row * 3 + axis;
            m_pCorner[i] = MakeField(this, ("m_fCorner" + std::to_string(i)).c_str(), true);
            grid->addWidget(m_pCorner[i], row + 1, axis + 1);
        }
        auto* more = new QPushButton(QString::fromLatin1(BUTTON_TEXTURE_VERTEX), this);
        more->setObjectName(QString("texVertex%1").arg(row));
        more->setAutoDefault(false);
        connect(more, &QPushButton::clicked, this, [this, row] { OnTextureVertex(row); });
        grid->addWidget(more, row + 1, 4);
    }

    auto* textureRow = new QHBoxLayout;
    textureRow->addWidget(new QLabel(QString::fromLatin1(LABEL_TEXTURE), this));
    m_pTexture = MakeField(this, "m_strTexture", true);
    textureRow->addWidget(m_pTexture, 1);

    QDialogButtonBox* buttons = MakeOkCancelButtons(this);

    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addLayout(textureRow);
    top->addWidget(buttons);
}

CPolygonInfoDlg::~CPolygonInfoDlg() = default;

void CPolygonInfoDlg::SetPolygon(int objectIndex, int polygonIndex, const scene::CQM4EditDoc* doc)
{
    m_nObject = objectIndex;
    m_nPolygon = polygonIndex;
    m_pDoc = doc;
}

void CPolygonInfoDlg::OnInitDialog()
{
    if (m_pDoc) {
        const scene::PolygonRecord p = m_pDoc->GetPolygon(m_nObject, m_nPolygon);
        for (int k = 0; k < 3; ++k) {
            m_nVertexId[k] = p.vertex[k];
            const scene::ObjectVertex v = m_pDoc->GetVertex(p.vertex[k]);
            m_fCorner[k * 3 + 0] = v.x;
            m_fCorner[k * 3 + 1] = v.y;
            m_fCorner[k * 3 + 2] = v.z;
            m_nTexVertex[k] = p.texVertex[k];
        }
        // A texture index past the list shows an empty name.
        m_strTexture = m_pDoc->GetTextureName(p.texture);
        m_nTypeWord = p.type;
    }
    DoDataExchange();
}

void CPolygonInfoDlg::DoDataExchange()
{
    for (int k = 0; k < 3; ++k)
        m_pVertexId[k]->setText(QString::number(m_nVertexId[k]));
    for (int i = 0; i < 9; ++i)
        m_pCorner[i]->setText(FloatText(m_fCorner[i]));
    // Names are single-byte text from the file; Latin-1 shows every byte as one character.
    m_pTexture->setText(QString::fromLatin1(m_strTexture.data(), static_cast<qsizetype>(m_strTexture.size())));
}

void CPolygonInfoDlg::OnTextureVertex(int corner)
{
    if (corner < 0 || corner > 2)
        return;
    CTextureVertexDlg dlg(m_prompt, this);
    dlg.SetTextureVertex(m_nTexVertex[corner], scene::CQM4EditDoc::GetTextureVertexKind(m_nTypeWord), m_pDoc);
    m_runModal(dlg);
}

} // namespace qm4edit
