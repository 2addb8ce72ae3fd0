#include "editor/app/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "editor/app/Commands.h"

namespace qm4edit {

// A small wire triangle mesh with its corner dots: what the program shows.
void PaintProgramIcon(QPainter& p, qreal size)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(QPen(QColor(20, 40, 90), 1.2));
    p.setBrush(QColor(70, 120, 200));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 5, 5);
    const QPointF pts[] = {{6, 25}, {16, 6}, {26, 24}, {15, 18}};
    p.setPen(QPen(QColor(255, 220, 90), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawLine(pts[0], pts[1]);
    p.drawLine(pts[1], pts[2]);
    p.drawLine(pts[2], pts[0]);
    p.drawLine(pts[0], pts[3]);
    p.drawLine(pts[1], pts[3]);
    p.drawLine(pts[2], pts[3]);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (const QPointF& pt : pts)
        p.drawEllipse(pt, 2.0, 2.0);
    p.restore();
}

namespace {

QPixmap Blank(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

QPixmap DrawProgramIcon(int size)
{
    QPixmap pm = Blank(size);
    QPainter p(&pm);
    PaintProgramIcon(p, size);
    return pm;
}

QPixmap DrawToolbarImage(int id)
{
    QPixmap pm = Blank(16);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen outline(QColor(40, 40, 40), 1);
    p.setPen(outline);
    switch (id) {
    case ID_FILE_OPEN: {
        p.setBrush(QColor(230, 190, 70));
        QPainterPath folder;
        folder.moveTo(1.5, 13.5);
        folder.lineTo(1.5, 3.5);
        folder.lineTo(6.5, 3.5);
        folder.lineTo(7.5, 5.5);
        folder.lineTo(13.5, 5.5);
        folder.lineTo(13.5, 13.5);
        folder.closeSubpath();
        p.drawPath(folder);
        p.setBrush(QColor(250, 220, 120));
        QPainterPath flap;
        flap.moveTo(1.5, 13.5);
        flap.lineTo(4.5, 8.5);
        flap.lineTo(15.5, 8.5);
        flap.lineTo(13.5, 13.5);
        flap.closeSubpath();
        p.drawPath(flap);
        break;
    }
    case ID_FILE_SAVE:
        p.setBrush(QColor(60, 90, 170));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
        break;
    case ID_EDIT_CUT:
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(4.5, 12), 2.5, 2.5);
        p.drawEllipse(QPointF(11.5, 12), 2.5, 2.5);
        p.drawLine(QPointF(6, 10), QPointF(11, 1.5));
        p.drawLine(QPointF(10, 10), QPointF(5, 1.5));
        break;
    case ID_EDIT_COPY:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 8, 10));
        p.drawRect(QRectF(6.5, 4.5, 8, 10));
        break;
    case ID_EDIT_PASTE:
        p.setBrush(QColor(190, 140, 80));
        p.drawRect(QRectF(2.5, 2.5, 11, 12));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 1.5, 5, 3));
        p.drawRect(QRectF(5.5, 6.5, 7, 7));
        break;
    case ID_VIEW_ZOOMIN:
    case ID_VIEW_ZOOMOUT:
        p.setBrush(QColor(220, 235, 255));
        p.drawEllipse(QPointF(6.5, 6.5), 5, 5);
        p.setPen(QPen(QColor(40, 40, 40), 2));
        p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
        p.setPen(QPen(QColor(20, 20, 20), 1.5));
        p.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
        if (id == ID_VIEW_ZOOMIN)
            p.drawLine(QPointF(6.5, 4), QPointF(6.5, 9));
        break;
    case ID_VIEW_TOP:
    case ID_VIEW_FRONT:
    case ID_VIEW_SIDE: {
        p.setBrush(QColor(235, 235, 235));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(QColor(30, 60, 160), 1.5));
        const char* letter = id == ID_VIEW_TOP ? "T" : id == ID_VIEW_FRONT ? "F" : "S";
        QFont f = p.font();
        f.setPixelSize(11);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, QString::fromLatin1(letter));
        break;
    }
    case ID_VIEW_PERSPECTIVE: {
        // A box seen from above and in front, its near face textured.
        const QPointF front[] = {{1.5, 5.5}, {10.5, 5.5}, {10.5, 14.5}, {1.5, 14.5}};
        const QPointF top[] = {{1.5, 5.5}, {5.5, 1.5}, {14.5, 1.5}, {10.5, 5.5}};
        const QPointF side[] = {{10.5, 5.5}, {14.5, 1.5}, {14.5, 10.5}, {10.5, 14.5}};
        p.setBrush(QColor(200, 90, 60));
        p.drawPolygon(front, 4);
        p.setBrush(QColor(235, 235, 235));
        p.drawPolygon(top, 4);
        p.setBrush(QColor(150, 150, 150));
        p.drawPolygon(side, 4);
        p.setPen(QPen(QColor(250, 220, 200), 1));
        p.drawLine(QPointF(2, 10), QPointF(10, 10));
        p.drawLine(QPointF(6, 6), QPointF(6, 10));
        break;
    }
    case ID_VIEW_RESET:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(30, 120, 50), 2));
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 300 * 16);
        p.setBrush(QColor(30, 120, 50));
        p.setPen(Qt::NoPen);
        {
            const QPointF head[] = {{9.5, 0.5}, {14.5, 3.5}, {9.5, 6.5}};
            p.drawPolygon(head, 3);
        }
        break;
    case ID_VIEW_WIREFRAME: {
        // Two triangles sharing an edge, outlines only.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(60, 60, 60), 1));
        const QPointF pts[] = {{1.5, 13.5}, {7.5, 2.5}, {14.5, 12.5}, {9.5, 14.5}};
        p.drawLine(pts[0], pts[1]);
        p.drawLine(pts[1], pts[2]);
        p.drawLine(pts[2], pts[3]);
        p.drawLine(pts[3], pts[0]);
        p.drawLine(pts[1], pts[3]);
        break;
    }
    case ID_EDIT_VERTEXTOOL: {
        // A vertex square with a four-way arrow: grab and move.
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        const QPointF heads[4][3] = {{{8, 0.5}, {5.5, 3.5}, {10.5, 3.5}},
                                     {{8, 15.5}, {5.5, 12.5}, {10.5, 12.5}},
                                     {{0.5, 8}, {3.5, 5.5}, {3.5, 10.5}},
                                     {{15.5, 8}, {12.5, 5.5}, {12.5, 10.5}}};
        p.setBrush(QColor(60, 60, 60));
        for (const auto& head : heads)
            p.drawPolygon(head, 3);
        p.setBrush(QColor(220, 40, 40));
        p.drawRect(QRectF(5.5, 5.5, 5, 5));
        break;
    }
    default: break;
    }
    return pm;
}

const char* ThemeName(int id)
{
    switch (id) {
    case ID_FILE_OPEN: return "document-open";
    case ID_FILE_SAVE: return "document-save";
    case ID_EDIT_CUT: return "edit-cut";
    case ID_EDIT_COPY: return "edit-copy";
    case ID_EDIT_PASTE: return "edit-paste";
    case ID_VIEW_ZOOMIN: return "zoom-in";
    case ID_VIEW_ZOOMOUT: return "zoom-out";
    default: return nullptr;
    }
}

} // namespace

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addPixmap(DrawProgramIcon(size));
    return icon;
}

QIcon ToolbarIcon(int commandId)
{
    const QIcon drawn(DrawToolbarImage(commandId));
    if (const char* name = ThemeName(commandId))
        return QIcon::fromTheme(QString::fromLatin1(name), drawn);
    return drawn;
}

} // namespace qm4edit
