#include "pixloom/PixloomView.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtMath>

#include "gui/GuiPrompt.h"
#include "gui/Settings.h"
#include "pixloom/PixloomStrings.h"
#include "texture/PixloomDoc.h"
#include "texture/TexFormat.h"

namespace pixloom {

namespace {

QRgb ToQRgb(std::uint32_t colorref)
{
    return qRgb(gui::ColorrefRed(colorref), gui::ColorrefGreen(colorref), gui::ColorrefBlue(colorref));
}

// Picture coordinate (device pixels of the zoomed picture) to texture coordinate.
int ToTexture(int picture, int zoomLog2)
{
    return zoomLog2 >= 0 ? picture >> zoomLog2 : picture << -zoomLog2;
}

int ToPicture(int texture, int zoomLog2)
{
    return zoomLog2 >= 0 ? texture << zoomLog2 : texture >> -zoomLog2;
}

// Light and dark squares fixed to the picture, so they scroll with it.
constexpr int kCheckerSize = 8;

} // namespace

std::uint8_t DisplayAlpha(int bpp, std::uint8_t storedAlpha)
{
    if (bpp == 16)
        return texture::AlphaBit(storedAlpha) ? 255 : 0;
    if (bpp == 32)
        return storedAlpha;
    return 255;
}

QImage RenderTexture(const texture::CPixloomDoc& doc, std::uint32_t bkColor, QSize devicePixels,
                     const ViewOptions& options)
{
    QImage image(devicePixels.expandedTo(QSize(0, 0)), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(ToQRgb(bkColor));
    if (!doc.IsLoaded())
        return image;

    const texture::TexHeader& h = doc.GetHeader();
    const int zoom = std::clamp(options.zoomLog2, kMinZoomLog2, kMaxZoomLog2);
    // The store never holds more than its fixed size, whatever the header claims.
    const int w = std::clamp(h.xRes, 0, texture::TEX_MAX_RES);
    const int rows = std::clamp(h.yRes, 0, texture::TEX_MAX_RES);
    const int pictureW = ToPicture(w, zoom);
    const int pictureH = ToPicture(rows, zoom);
    const int x0 = std::max(0, -options.origin.x());
    const int x1 = std::min(image.width(), pictureW - options.origin.x());
    const int y1 = std::min(image.height(), pictureH - options.origin.y());
    if (x1 <= x0)
        return image;

    // One lookup per column instead of a shift per pixel.
    std::vector<int> column(static_cast<std::size_t>(x1));
    for (int x = x0; x < x1; ++x)
        column[static_cast<std::size_t>(x)] = ToTexture(x + options.origin.x(), zoom);

    for (int y = std::max(0, -options.origin.y()); y < y1; ++y) {
        const int py = y + options.origin.y();
        const int ty = ToTexture(py, zoom);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = x0; x < x1; ++x) {
            const int tx = column[static_cast<std::size_t>(x)];
            if (tx >= w || ty >= rows)
                continue;
            const std::uint8_t* p = doc.GetPixel(tx, ty);
            switch (options.channel) {
            case ViewChannel::Rgb:
                if (options.alphaAsTransparency) {
                    const int px = x + options.origin.x();
                    const int a = DisplayAlpha(h.bpp, p[3]);
                    const int under = ((px / kCheckerSize + py / kCheckerSize) & 1) ? 0xCC : 0xFF;
                    auto blend = [&](int c) { return (c * a + under * (255 - a) + 127) / 255; };
                    line[x] = qRgb(blend(p[2]), blend(p[1]), blend(p[0]));
                } else {
                    line[x] = qRgb(p[2], p[1], p[0]);
                }
                break;
            case ViewChannel::Alpha: {
                const int a = DisplayAlpha(h.bpp, p[3]);
                line[x] = qRgb(a, a, a);
                break;
            }
            case ViewChannel::Red: line[x] = qRgb(p[2], p[2], p[2]); break;
            case ViewChannel::Green: line[x] = qRgb(p[1], p[1], p[1]); break;
            case ViewChannel::Blue: line[x] = qRgb(p[0], p[0], p[0]); break;
            }
        }
    }
    return image;
}

CPixloomView::CPixloomView(texture::CPixloomDoc& doc, QString appTitle, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(doc), m_appTitle(std::move(appTitle))
{
    // Settings hold a signed integer; only the colour bytes mean anything.
    m_bkColor = static_cast<std::uint32_t>(gui::ReadProfileInt(m_appTitle, str::KEY_BK_COLOR, str::DEFAULT_BK_COLOR)) &
        0x00FFFFFFu;
    setFrameShape(QFrame::NoFrame);
    // Every pixel is painted each time; nothing underneath needs clearing first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    UpdateScrollBars();
}

CPixloomView::~CPixloomView()
{
    gui::WriteProfileInt(m_appTitle, str::KEY_BK_COLOR, static_cast<int>(m_bkColor));
}

void CPixloomView::SetBkColor(std::uint32_t color)
{
    m_bkColor = color & 0x00FFFFFFu;
    viewport()->update();
}

QSize CPixloomView::PictureDevicePixels() const
{
    if (!m_doc.IsLoaded())
        return {0, 0};
    const texture::TexHeader& h = m_doc.GetHeader();
    return {ToPicture(std::clamp(h.xRes, 0, texture::TEX_MAX_RES), m_options.zoomLog2),
            ToPicture(std::clamp(h.yRes, 0, texture::TEX_MAX_RES), m_options.zoomLog2)};
}

void CPixloomView::UpdateScrollBars()
{
    // Actual size stays as the tool always drew it: clipped at the top-left, no scroll bars.
    const Qt::ScrollBarPolicy policy = m_options.zoomLog2 == 0 ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    setHorizontalScrollBarPolicy(policy);
    setVerticalScrollBarPolicy(policy);
    const qreal dpr = devicePixelRatioF();
    const QSize picture = PictureDevicePixels();
    const QSize view = viewport()->size();
    const int pw = qCeil(picture.width() / dpr), ph = qCeil(picture.height() / dpr);
    horizontalScrollBar()->setRange(0, std::max(0, pw - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setSingleStep(16);
    verticalScrollBar()->setRange(0, std::max(0, ph - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(16);
}

QPoint CPixloomView::Origin() const
{
    if (m_options.zoomLog2 == 0)
        return {0, 0};
    const qreal dpr = devicePixelRatioF();
    return {qRound(horizontalScrollBar()->value() * dpr), qRound(verticalScrollBar()->value() * dpr)};
}

void CPixloomView::SetZoomLog2(int zoomLog2, std::optional<QPoint> anchor)
{
    zoomLog2 = std::clamp(zoomLog2, kMinZoomLog2, kMaxZoomLog2);
    if (zoomLog2 == m_options.zoomLog2)
        return;
    const qreal dpr = devicePixelRatioF();
    const QPoint at = anchor.value_or(viewport()->rect().center());
    // The texture point under the anchor, in texture pixels.
    const QPoint origin = Origin();
    const qreal scaleOld = std::ldexp(1.0, m_options.zoomLog2);
    const qreal tx = (at.x() * dpr + origin.x()) / scaleOld;
    const qreal ty = (at.y() * dpr + origin.y()) / scaleOld;

    m_options.zoomLog2 = zoomLog2;
    UpdateScrollBars();
    const qreal scaleNew = std::ldexp(1.0, zoomLog2);
    horizontalScrollBar()->setValue(qRound((tx * scaleNew - at.x() * dpr) / dpr));
    verticalScrollBar()->setValue(qRound((ty * scaleNew - at.y() * dpr) / dpr));
    viewport()->update();
    emit ZoomChanged();
}

void CPixloomView::FitToWindow()
{
    const QSize picture = PictureDevicePixels();
    if (picture.isEmpty())
        return;
    const qreal dpr = devicePixelRatioF();
    // The whole window, as if there were no scroll bars.
    const QSize room = QSize(qFloor(width() * dpr), qFloor(height() * dpr));
    const texture::TexHeader& h = m_doc.GetHeader();
    int best = kMinZoomLog2;
    for (int z = kMaxZoomLog2; z >= kMinZoomLog2; --z)
        if (ToPicture(h.xRes, z) <= room.width() && ToPicture(h.yRes, z) <= room.height()) {
            best = z;
            break;
        }
    SetZoomLog2(best, QPoint(0, 0));
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void CPixloomView::SetChannel(ViewChannel channel)
{
    m_options.channel = channel;
    viewport()->update();
}

void CPixloomView::SetAlphaAsTransparency(bool on)
{
    m_options.alphaAsTransparency = on;
    viewport()->update();
}

std::optional<QPoint> CPixloomView::TexturePixelAt(QPoint viewportPos) const
{
    if (!m_doc.IsLoaded() || viewportPos.x() < 0 || viewportPos.y() < 0)
        return std::nullopt;
    const qreal dpr = devicePixelRatioF();
    const QPoint origin = Origin();
    const int tx = ToTexture(qFloor(viewportPos.x() * dpr) + origin.x(), m_options.zoomLog2);
    const int ty = ToTexture(qFloor(viewportPos.y() * dpr) + origin.y(), m_options.zoomLog2);
    const texture::TexHeader& h = m_doc.GetHeader();
    if (tx >= std::min(h.xRes, texture::TEX_MAX_RES) || ty >= std::min(h.yRes, texture::TEX_MAX_RES))
        return std::nullopt;
    return QPoint(tx, ty);
}

void CPixloomView::OnDocumentChanged()
{
    UpdateScrollBars();
    viewport()->update();
}

void CPixloomView::ReportPointer(std::optional<QPoint> pos)
{
    const QPoint pixel = pos ? TexturePixelAt(*pos).value_or(QPoint(-1, -1)) : QPoint(-1, -1);
    if (pixel == m_lastPixel)
        return;
    m_lastPixel = pixel;
    emit PointerPixelChanged(pixel.x(), pixel.y());
}

void CPixloomView::paintEvent(QPaintEvent*)
{
    // Texture pixels map to device pixels, also on scaled screens.
    const qreal dpr = devicePixelRatioF();
    const QSize size = viewport()->size();
    QImage image =
        RenderTexture(m_doc, m_bkColor, QSize(qCeil(size.width() * dpr), qCeil(size.height() * dpr)),
                      ViewOptions{m_options.zoomLog2, Origin(), m_options.channel, m_options.alphaAsTransparency});
    image.setDevicePixelRatio(dpr);
    QPainter painter(viewport());
    painter.drawImage(QPointF(0, 0), image);
}

void CPixloomView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CPixloomView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CPixloomView::mouseMoveEvent(QMouseEvent* event)
{
    ReportPointer(event->position().toPoint());
    QAbstractScrollArea::mouseMoveEvent(event);
}

void CPixloomView::leaveEvent(QEvent* event)
{
    ReportPointer(std::nullopt);
    QAbstractScrollArea::leaveEvent(event);
}

void CPixloomView::wheelEvent(QWheelEvent* event)
{
    m_wheelAccumulated += event->angleDelta().y();
    const int notches = m_wheelAccumulated / 120;
    m_wheelAccumulated -= notches * 120;
    if (notches != 0)
        SetZoomLog2(m_options.zoomLog2 + notches, event->position().toPoint());
    event->accept();
}

} // namespace pixloom
