#include "pixloom/TexHeaderDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "pixloom/PixloomStrings.h"

namespace pixloom {

namespace {

QLineEdit* MakeNumberEdit(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignRight);
    edit->setMaximumWidth(90);
    return edit;
}

} // namespace

CTexHeaderDlg::CTexHeaderDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(str::HEADER_TITLE);

    m_filler = new QLineEdit(this);
    m_filler->setObjectName("filler");
    // Wide enough for the 49 characters of the hex text in most fonts; it scrolls otherwise.
    m_filler->setMinimumWidth(m_filler->fontMetrics().horizontalAdvance(QString(52, QChar('0'))));
    m_xRes = MakeNumberEdit(this, "xRes");
    m_yRes = MakeNumberEdit(this, "yRes");
    m_bpp = MakeNumberEdit(this, "bpp");

    auto* form = new QFormLayout;
    form->addRow(str::HEADER_FILLER, m_filler);
    form->addRow(str::HEADER_XRES, m_xRes);
    form->addRow(str::HEADER_YRES, m_yRes);
    form->addRow(str::HEADER_BPP, m_bpp);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setSizeGripEnabled(false);
}

void CTexHeaderDlg::TransferToControls()
{
    m_filler->setText(m_strFiller);
    m_filler->setCursorPosition(0);
    m_xRes->setText(QString::number(m_nXRes));
    m_yRes->setText(QString::number(m_nYRes));
    m_bpp->setText(QString::number(m_nBpp));
}

int CTexHeaderDlg::exec()
{
    TransferToControls();
    const int result = QDialog::exec();
    // The edited filler is taken back like any dialog value, and then ignored by the caller.
    if (result == QDialog::Accepted)
        m_strFiller = m_filler->text();
    return result;
}

} // namespace pixloom
