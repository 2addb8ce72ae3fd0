#pragma once
// "About Pixloom": icon, version line and a scrolling information text.

#include <QDialog>
#include <QString>

class QPlainTextEdit;

namespace pixloom {

class CPixloomAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CPixloomAboutDlg(QWidget* parent = nullptr);

    QString m_strInfo;

    QPlainTextEdit* InfoEdit() const { return m_info; }

public slots:
    int exec() override;

private:
    QPlainTextEdit* m_info;
};

} // namespace pixloom
