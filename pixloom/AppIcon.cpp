#include "pixloom/AppIcon.h"

#include <QPainter>
#include <QPixmap>

namespace pixloom {

// A framed 4 x 4 tile of coloured squares: a texture seen up close.
void PaintPixloomIcon(QPainter& p, qreal size)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.scale(size / 32.0, size / 32.0);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 48));
    p.drawRect(1, 1, 30, 30);

    static const QColor tiles[4][4] = {
        {QColor(220, 40, 40), QColor(240, 150, 30), QColor(250, 220, 60), QColor(120, 200, 60)},
        {QColor(240, 150, 30), QColor(250, 220, 60), QColor(120, 200, 60), QColor(40, 170, 200)},
        {QColor(250, 220, 60), QColor(120, 200, 60), QColor(40, 170, 200), QColor(60, 90, 220)},
        {QColor(120, 200, 60), QColor(40, 170, 200), QColor(60, 90, 220), QColor(150, 70, 200)},
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            p.setBrush(tiles[r][c]);
            p.drawRect(3 + c * 7, 3 + r * 7, 6, 6);
        }
    p.restore();
}

namespace {

QPixmap DrawIcon(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    PaintPixloomIcon(p, size);
    return pm;
}

} // namespace

QIcon PixloomIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(DrawIcon(size));
    return icon;
}

} // namespace pixloom
