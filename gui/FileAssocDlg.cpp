#include "FileAssocDlg.h"

#include <exception>
#include <vector>

#include <QApplication>
#include <QBuffer>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QIcon>
#include <QPixmap>
#include <QRadioButton>
#include <QVBoxLayout>

#include "GuiPrompt.h"
#include "WaitCursor.h"
#include "registrar/FileAssociation.h"

namespace gui {

namespace {

// The program's window icon as PNG images for the icon theme. Windows takes the icon from
// the program file instead.
std::vector<registrar::IconImage> ProgramIcons()
{
    std::vector<registrar::IconImage> icons;
#ifndef Q_OS_WIN
    const QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        return icons;
    for (int size : registrar::kIconSizes) {
        const QPixmap pixmap = icon.pixmap(QSize(size, size));
        if (pixmap.isNull())
            continue;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!pixmap.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation).save(&buffer, "PNG"))
            continue;
        icons.push_back({size, std::vector<std::uint8_t>(png.begin(), png.end())});
    }
#endif
    return icons;
}

} // namespace

CFileAssocDlg::CFileAssocDlg(const registrar::AssocValues& values, IGuiPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_values(values), m_prompt(prompt)
{
    setWindowTitle(QString::fromStdString(values.dialogTitle));

    m_pSetReset = new QRadioButton(QString::fromStdString(values.setCaption), this);
    m_pRemove = new QRadioButton(QString::fromStdString(values.removeCaption), this);
    m_pGroup = new QButtonGroup(this);
    m_pGroup->addButton(m_pSetReset, 0);
    m_pGroup->addButton(m_pRemove, 1);
    m_pGroup->button(m_nAction)->setChecked(true);

    m_pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_pButtons, &QDialogButtonBox::accepted, this, &CFileAssocDlg::accept);
    connect(m_pButtons, &QDialogButtonBox::rejected, this, &CFileAssocDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pSetReset);
    layout->addWidget(m_pRemove);
    layout->addSpacing(8);
    layout->addWidget(m_pButtons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CFileAssocDlg::accept()
{
    m_nAction = m_pGroup->checkedId() == 1 ? 1 : 0;
    Perform();
    QDialog::accept();
}

void CFileAssocDlg::Perform()
{
    const auto action = m_nAction == 1 ? registrar::AssocAction::Remove : registrar::AssocAction::SetReset;
    registrar::AssocOutcome outcome;
    try {
        WaitCursor wait;
        const std::string path =
            QDir::toNativeSeparators(QCoreApplication::applicationFilePath()).toUtf8().toStdString();
        const std::vector<registrar::IconImage> icons =
            action == registrar::AssocAction::SetReset ? ProgramIcons() : std::vector<registrar::IconImage>{};
        outcome = registrar::ApplyFileAssociation(action, m_values, path, icons);
    } catch (const std::exception& e) {
        outcome.Fail(e.what());
    }
    if (!outcome.Ok())
        m_prompt.ShowMessage(registrar::AssocFailureMessage(outcome), common::MessageIcon::Stop);
}

void RunFileAssocDialog(QWidget* parent, const registrar::AssocValues& values, IGuiPrompt& prompt)
{
    CFileAssocDlg dlg(values, prompt, parent);
    dlg.exec();
}

} // namespace gui
