#pragma once
// The small dialog that asks for a texture name, for Rename... and Add....

#include <QDialog>
#include <QString>

class QLineEdit;

namespace qm4edit {

class CTextureNameDlg final : public QDialog {
    Q_OBJECT

public:
    CTextureNameDlg(const QString& title, const QString& name, QWidget* parent = nullptr);

    QString Name() const;
    QLineEdit* Field() const { return m_pName; }

private:
    QLineEdit* m_pName = nullptr;
};

} // namespace qm4edit
