#include "pixloom/PixloomView.h"

#include <algorithm>

#include <QPaintEvent>
#include <QPainter>
#include <QtMath>

#include "gui/GuiPrompt.h"
#include "gui/Settings.h"
#include "pixloom/PixloomStrings.h"
#include "texture/PixloomDoc.h"

namespace pixloom {

namespace {

QRgb ToQRgb(std::uint32_t colorref)
{
    return qRgb(gui::ColorrefRed(colorref), gui::ColorrefGreen(colorref), gui::ColorrefBlue(colorref));
}

} // namespace

CPixloomView::CPixloomView(texture::CPixloomDoc& doc, QString appTitle, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_appTitle(std::move(appTitle))
{
    // Settings hold a signed integer; only the colour bytes mean anything.
    m_bkColor = static_cast<std::uint32_t>(
                    gui::ReadProfileInt(m_appTitle, str::KEY_BK_COLOR, str::DEFAULT_BK_COLOR)) &
                0x00FFFFFFu;
    // Every pixel is painted each time; nothing underneath needs clearing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CPixloomView::~CPixloomView()
{
    gui::WriteProfileInt(m_appTitle, str::KEY_BK_COLOR, static_cast<int>(m_bkColor));
}

void CPixloomView::SetBkColor(std::uint32_t color)
{
    m_bkColor = color & 0x00FFFFFFu;
    update();
}

QImage RenderTexture(const texture::CPixloomDoc& doc, std::uint32_t bkColor, QSize devicePixels)
{
    QImage image(devicePixels.expandedTo(QSize(0, 0)), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(ToQRgb(bkColor));
    if (!doc.IsLoaded())
        return image;

    const texture::TexHeader& h = doc.GetHeader();
    // The store never holds more than its fixed size, whatever the header claims.
    const int w = std::clamp(h.xRes, 0, std::min(texture::TEX_MAX_RES, image.width()));
    const int rows = std::clamp(h.yRes, 0, std::min(texture::TEX_MAX_RES, image.height()));
    for (int y = 0; y < rows; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = doc.GetPixel(x, y);
            line[x] = qRgb(p[2], p[1], p[0]);
        }
    }
    return image;
}

void CPixloomView::paintEvent(QPaintEvent*)
{
    // Texture pixels map to device pixels, also on scaled screens.
    const qreal dpr = devicePixelRatioF();
    QImage image = RenderTexture(m_doc, m_bkColor, QSize(qCeil(width() * dpr), qCeil(height() * dpr)));
    image.setDevicePixelRatio(dpr);
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), image);
}

} // namespace pixloom
