// PNG and BMP decoding, as Pixloom's import and textool read outside images.
//
// Whatever the bytes, decoding either refuses with a message or gives an image within the
// size limit whose pixel buffer matches its dimensions. A decoded image encoded as PNG by our
// own encoder decodes back to the same pixels, so the encoder is checked on every shape the
// decoder lets through.

#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzSupport.h"
#include "interchange/ImageCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const interchange::DecodeResult decoded = interchange::DecodeImage(std::span(data, size));
    if (!decoded.image) {
        FUZZ_CHECK(!decoded.message.empty());
        return 0;
    }
    const texture::RgbaImage& image = decoded.image->image;
    FUZZ_CHECK(image.width >= 1 && image.width <= interchange::MAX_IMAGE_SIDE);
    FUZZ_CHECK(image.height >= 1 && image.height <= interchange::MAX_IMAGE_SIDE);
    FUZZ_CHECK(image.rgba.size() == static_cast<std::size_t>(image.width) * image.height * 4);
    if (!decoded.image->hasAlpha)
        for (std::size_t i = 3; i < image.rgba.size(); i += 4)
            FUZZ_CHECK(image.rgba[i] == 255);

    // Large pictures would only slow the search down; their encoding is the same loop.
    if (image.rgba.size() > (1u << 20))
        return 0;
    const auto png = interchange::EncodePng(image, decoded.image->hasAlpha);
    FUZZ_CHECK(!png.empty());
    const interchange::DecodeResult again = interchange::DecodeImage(png);
    FUZZ_CHECK(again.image.has_value());
    FUZZ_CHECK(again.image->image.width == image.width && again.image->image.height == image.height);
    FUZZ_CHECK(again.image->image.rgba == image.rgba);
    return 0;
}
