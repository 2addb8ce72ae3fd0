#pragma once
// "New Texture": the depth of a texture made from an image, one of 16, 24 or 32 bits per
// pixel, with the one the image suggests chosen when the dialog opens.

#include <QDialog>

class QRadioButton;

namespace pixloom {

class CNewTextureDlg : public QDialog {
    Q_OBJECT

public:
    CNewTextureDlg(int width, int height, int proposedBpp, QWidget* parent = nullptr);

    // 16, 24 or 32: the depth chosen.
    int GetBpp() const;
    QRadioButton* DepthButton(int bpp) const;

private:
    QRadioButton* m_depth[3];
};

} // namespace pixloom
