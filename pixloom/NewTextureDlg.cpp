#include "pixloom/NewTextureDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "pixloom/PixloomStrings.h"

namespace pixloom {

namespace {

constexpr int DEPTHS[3] = {16, 24, 32};

} // namespace

CNewTextureDlg::CNewTextureDlg(int width, int height, int proposedBpp, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(str::NEW_TEXTURE_TITLE);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString(str::NEW_TEXTURE_SIZE).arg(width).arg(height), this));
    const char* texts[3] = {str::DEPTH_16, str::DEPTH_24, str::DEPTH_32};
    for (int i = 0; i < 3; ++i) {
        m_depth[i] = new QRadioButton(texts[i], this);
        m_depth[i]->setObjectName(QString("bpp%1").arg(DEPTHS[i]));
        m_depth[i]->setChecked(DEPTHS[i] == proposedBpp);
        layout->addWidget(m_depth[i]);
    }
    if (proposedBpp != 16 && proposedBpp != 32)
        m_depth[1]->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int CNewTextureDlg::GetBpp() const
{
    for (int i = 0; i < 3; ++i)
        if (m_depth[i]->isChecked())
            return DEPTHS[i];
    return 24;
}

QRadioButton* CNewTextureDlg::DepthButton(int bpp) const
{
    for (int i = 0; i < 3; ++i)
        if (DEPTHS[i] == bpp)
            return m_depth[i];
    return nullptr;
}

} // namespace pixloom
