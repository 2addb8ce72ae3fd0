#pragma once
// The texture on its background. At actual size one device pixel shows one texture pixel,
// top-left aligned and clipped, exactly as the tool always drew it; other zoom steps
// magnify (nearest neighbour) or shrink by powers of two and scroll. The view can also show
// one channel as grey, or the colour over a checkerboard through its alpha.

#include <cstdint>
#include <optional>

#include <QAbstractScrollArea>
#include <QImage>
#include <QPoint>

namespace texture {
class CPixloomDoc;
}

namespace pixloom {

enum class ViewChannel { Rgb, Alpha, Red, Green, Blue };

struct ViewOptions {
    // Power of two of the scale: 0 actual size, 1 twice as large, -1 half.
    int zoomLog2 = 0;
    // Device pixel of the whole zoomed picture at the view's top-left corner.
    QPoint origin = {0, 0};
    ViewChannel channel = ViewChannel::Rgb;
    bool alphaAsTransparency = false;
};

inline constexpr int kMinZoomLog2 = -3;
inline constexpr int kMaxZoomLog2 = 5;

// What a view of the given size in device pixels shows: the background colour (0x00BBGGRR)
// everywhere, then the part of the document's texture that falls into it. Only the visible
// pixels are computed, so a large magnification costs no more than actual size.
QImage RenderTexture(const texture::CPixloomDoc& doc, std::uint32_t bkColor, QSize devicePixels,
                     const ViewOptions& options = {});

// The alpha of a stored pixel as 0..255 for the texture's depth: a 16-bit texture keeps one
// bit (0 or 1 in the store), a 24-bit one has none and counts as opaque.
std::uint8_t DisplayAlpha(int bpp, std::uint8_t storedAlpha);

class CPixloomView : public QAbstractScrollArea {
    Q_OBJECT

public:
    // Reads the background colour from the settings of appTitle.
    CPixloomView(texture::CPixloomDoc& doc, QString appTitle, QWidget* parent = nullptr);
    // Writes the background colour back, so a colour chosen during a run is kept.
    ~CPixloomView() override;

    // 0x00BBGGRR. Repaints the whole view.
    void SetBkColor(std::uint32_t color);
    std::uint32_t GetBkColor() const { return m_bkColor; }

    texture::CPixloomDoc& GetDocument() const { return m_doc; }

    int GetZoomLog2() const { return m_options.zoomLog2; }
    // Clamped to the steps; anchor (in viewport coordinates) stays over the same texture
    // point, the viewport's centre when not given.
    void SetZoomLog2(int zoomLog2, std::optional<QPoint> anchor = std::nullopt);
    // The largest step at which the whole texture fits the view.
    void FitToWindow();

    ViewChannel GetChannel() const { return m_options.channel; }
    void SetChannel(ViewChannel channel);
    bool IsAlphaAsTransparency() const { return m_options.alphaAsTransparency; }
    void SetAlphaAsTransparency(bool on);

    // The texture pixel under a viewport point; none outside the texture or with nothing
    // loaded.
    std::optional<QPoint> TexturePixelAt(QPoint viewportPos) const;

    // After the document changed: the scroll range follows the texture's size.
    void OnDocumentChanged();

signals:
    // The texture pixel under the pointer, (-1, -1) when there is none.
    void PointerPixelChanged(int x, int y);
    void ZoomChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QSize PictureDevicePixels() const;
    void UpdateScrollBars();
    QPoint Origin() const;
    void ReportPointer(std::optional<QPoint> pos);

    texture::CPixloomDoc& m_doc;
    QString m_appTitle;
    std::uint32_t m_bkColor;
    ViewOptions m_options;
    QPoint m_lastPixel{-1, -1};
    // Wheel steps come in eighths of a degree, some mice in smaller parts of a notch.
    int m_wheelAccumulated = 0;
};

} // namespace pixloom
