#include "editor/textures/TextureNameDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "editor/dialogs/DialogStrings.h"
#include "editor/textures/TextureStrings.h"

namespace qm4edit {

CTextureNameDlg::CTextureNameDlg(const QString& title, const QString& name, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(title);
    auto* form = new QFormLayout(this);
    m_pName = new QLineEdit(name, this);
    m_pName->setObjectName("m_strName");
    m_pName->setMinimumWidth(240);
    m_pName->selectAll();
    auto* label = new QLabel(QString(LABEL_TEXTURE_NAME), this);
    label->setBuddy(m_pName);
    form->addRow(label, m_pName);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QString(BUTTON_OK), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QString(BUTTON_CANCEL), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

QString CTextureNameDlg::Name() const
{
    return m_pName->text();
}

} // namespace qm4edit
