#include "pixloom/AboutDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "pixloom/AppIcon.h"
#include "pixloom/PixloomStrings.h"

namespace pixloom {

CPixloomAboutDlg::CPixloomAboutDlg(QWidget* parent) : QDialog(parent), m_strInfo(str::ABOUT_INFO)
{
    setWindowTitle(str::ABOUT_TITLE);

    auto* icon = new QLabel(this);
    icon->setPixmap(PixloomIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    auto* version = new QLabel(str::ABOUT_VERSION, this);
    version->setObjectName("version");

    m_info = new QPlainTextEdit(this);
    m_info->setObjectName("info");
    m_info->setReadOnly(true);
    m_info->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_info->setMinimumSize(300, 180);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(version, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_info, 1);
    layout->addWidget(buttons);
}

int CPixloomAboutDlg::exec()
{
    m_info->setPlainText(m_strInfo);
    return QDialog::exec();
}

} // namespace pixloom
