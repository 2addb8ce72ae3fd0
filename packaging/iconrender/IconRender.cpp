// Build tool: renders the two program icons, drawn in code, into the files the desktop and
// Windows want: hicolor PNGs at the standard sizes, a scalable SVG, and a multi-size .ico.
//
//   qm_iconrender OUTDIR
//
// Writes OUTDIR/hicolor/<n>x<n>/apps/<name>.png, OUTDIR/hicolor/scalable/apps/<name>.svg
// (when built with Qt SVG) and OUTDIR/<Program>.ico.

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QString>
#ifdef QM_HAVE_SVG
#include <QSvgGenerator>
#endif

#include <cstdint>
#include <cstdio>
#include <vector>

#include "editor/app/Icons.h"
#include "pixloom/AppIcon.h"

namespace {

using PaintFn = void (*)(QPainter&, qreal);

struct ProgramIcon {
    const char* iconName; // the name desktop entries and the association registrar use
    const char* program; // the .ico file name
    PaintFn paint;
};

const ProgramIcon kIcons[] = {
    {"fennwick-qm4edit", "QM4Edit", qm4edit::PaintProgramIcon},
    {"fennwick-pixloom", "Pixloom", pixloom::PaintPixloomIcon},
};

const int kPngSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
const int kIcoSizes[] = {16, 24, 32, 48, 64, 128, 256};

QImage Render(PaintFn paint, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    paint(p, size);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool Save(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "qm_iconrender: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QByteArray Png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void Put16(QByteArray& out, std::uint16_t v)
{
    out.append(char(v & 0xFF)).append(char(v >> 8));
}

void Put32(QByteArray& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

// A 32-bit DIB as icon directories hold it: doubled height, bottom-up BGRA rows, then the
// 1-bit AND mask. Older shells read only this form; the 256 px image goes in as PNG.
QByteArray Dib(const QImage& image)
{
    const int w = image.width();
    const int h = image.height();
    const int maskStride = ((w + 31) / 32) * 4;
    QByteArray out;
    Put32(out, 40);
    Put32(out, std::uint32_t(w));
    Put32(out, std::uint32_t(2 * h));
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 0);
    Put32(out, std::uint32_t(w * h * 4 + maskStride * h));
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);
    for (int y = h - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            out.append(char(qBlue(row[x]))).append(char(qGreen(row[x])));
            out.append(char(qRed(row[x]))).append(char(qAlpha(row[x])));
        }
    }
    for (int y = h - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QByteArray mask(maskStride, '\0');
        for (int x = 0; x < w; ++x)
            if (qAlpha(row[x]) == 0)
                mask[x / 8] = char(mask[x / 8] | (0x80 >> (x % 8)));
        out.append(mask);
    }
    return out;
}

QByteArray Ico(PaintFn paint)
{
    std::vector<QByteArray> images;
    for (int size : kIcoSizes) {
        const QImage image = Render(paint, size);
        images.push_back(size >= 256 ? Png(image) : Dib(image));
    }
    const std::size_t count = images.size();
    QByteArray out;
    Put16(out, 0);
    Put16(out, 1); // icon, not cursor
    Put16(out, std::uint16_t(count));
    std::uint32_t offset = std::uint32_t(6 + 16 * count);
    for (std::size_t i = 0; i < count; ++i) {
        const int size = kIcoSizes[i];
        out.append(char(size >= 256 ? 0 : size)).append(char(size >= 256 ? 0 : size));
        out.append(char(0)).append(char(0));
        Put16(out, 1);
        Put16(out, 32);
        Put32(out, std::uint32_t(images[i].size()));
        Put32(out, offset);
        offset += std::uint32_t(images[i].size());
    }
    for (const QByteArray& image : images)
        out.append(image);
    return out;
}

#ifdef QM_HAVE_SVG
QByteArray Svg(const ProgramIcon& icon)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(256, 256));
    svg.setViewBox(QRect(0, 0, 256, 256));
    svg.setTitle(QString::fromLatin1(icon.program));
    QPainter p(&svg);
    icon.paint(p, 256);
    p.end();
    return bytes;
}
#endif

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qm_iconrender OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    bool ok = true;
    for (const ProgramIcon& icon : kIcons) {
        const QString name = QString::fromLatin1(icon.iconName);
        for (int size : kPngSizes)
            ok = Save(QStringLiteral("%1/hicolor/%2x%2/apps/%3.png").arg(out).arg(size).arg(name),
                      Png(Render(icon.paint, size))) &&
                ok;
#ifdef QM_HAVE_SVG
        ok = Save(QStringLiteral("%1/hicolor/scalable/apps/%2.svg").arg(out, name), Svg(icon)) && ok;
#endif
        ok = Save(QStringLiteral("%1/%2.ico").arg(out, QString::fromLatin1(icon.program)), Ico(icon.paint)) && ok;
    }
    return ok ? 0 : 1;
}
