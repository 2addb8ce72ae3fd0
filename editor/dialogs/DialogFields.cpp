#include "editor/dialogs/DialogFields.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

#include "editor/dialogs/DialogStrings.h"
#include "gui/GuiPrompt.h"
#include "common/NumberText.h"

namespace qm4edit {

int ExecModal(QDialog& dialog)
{
    return dialog.exec();
}

QString FloatText(float value)
{
    return QString::fromStdString(common::General6(value));
}

QLineEdit* MakeField(QWidget* parent, const char* objectName, bool readOnly)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(objectName));
    edit->setReadOnly(readOnly);
    return edit;
}

bool ReadFloatField(QLineEdit& field, const char* label, float& value, gui::IGuiPrompt& prompt)
{
    // Only ASCII can form a number; anything else (a non-breaking space, a typographic minus)
    // is left in place so that the field is refused rather than misread.
    const QByteArray text = field.text().toUtf8();
    float parsed = 0.0f;
    if (common::ParseFloatField(std::string_view(text.constData(), static_cast<std::size_t>(text.size())), parsed)) {
        value = parsed;
        return true;
    }
    prompt.ShowMessage(QString::fromLatin1(MSG_ENTER_NUMBER).arg(QString::fromLatin1(label)).toStdString(),
                       common::MessageIcon::Exclamation);
    field.setFocus();
    field.selectAll();
    return false;
}

QDialogButtonBox* MakeOkCancelButtons(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* ok = buttons->addButton(QString::fromLatin1(BUTTON_OK), QDialogButtonBox::AcceptRole);
    ok->setObjectName("ok");
    ok->setDefault(true);
    buttons->addButton(QString::fromLatin1(BUTTON_CANCEL), QDialogButtonBox::RejectRole)->setObjectName("cancel");
    // accept() and reject() are virtual: a dialog's own override is the one that runs.
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

void CInitDialog::showEvent(QShowEvent* event)
{
    if (!m_bInitialized) {
        m_bInitialized = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

} // namespace qm4edit
