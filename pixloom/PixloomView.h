#pragma once
// The texture on its background: one screen pixel per texture pixel, top-left aligned,
// neither scrolled nor scaled.

#include <cstdint>

#include <QImage>
#include <QWidget>

namespace texture {
class CPixloomDoc;
}

namespace pixloom {

// What a view of the given size in device pixels shows: the background colour (0x00BBGGRR)
// everywhere, then the part of the document's texture that fits, from the top-left corner.
QImage RenderTexture(const texture::CPixloomDoc& doc, std::uint32_t bkColor, QSize devicePixels);

class CPixloomView : public QWidget {
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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    texture::CPixloomDoc& m_doc;
    QString m_appTitle;
    std::uint32_t m_bkColor;
};

} // namespace pixloom
