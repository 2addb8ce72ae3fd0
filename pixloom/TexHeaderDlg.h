#pragma once
// "TEX Header": the header of the open texture, for reading only. Nothing typed here ever
// reaches the document.

#include <cstdint>

#include <QDialog>
#include <QString>

class QLineEdit;

namespace pixloom {

class CTexHeaderDlg : public QDialog {
    Q_OBJECT

public:
    explicit CTexHeaderDlg(QWidget* parent = nullptr);

    // Moves the members into the controls; exec() calls it, tests may call it directly.
    void TransferToControls();

    QString m_strFiller;
    std::int32_t m_nXRes = 0;
    std::int32_t m_nYRes = 0;
    std::int32_t m_nBpp = 0;

    QLineEdit* FillerEdit() const { return m_filler; }
    QLineEdit* XResEdit() const { return m_xRes; }
    QLineEdit* YResEdit() const { return m_yRes; }
    QLineEdit* BppEdit() const { return m_bpp; }

public slots:
    int exec() override;

private:
    QLineEdit* m_filler;
    QLineEdit* m_xRes;
    QLineEdit* m_yRes;
    QLineEdit* m_bpp;
};

} // namespace pixloom
