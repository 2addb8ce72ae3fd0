// The one translation unit that holds tinygltf. The module builds it without an image codec
// or file access for images (TINYGLTF_NO_STB_IMAGE, TINYGLTF_NO_STB_IMAGE_WRITE,
// TINYGLTF_NO_EXTERNAL_IMAGE, set for the whole module): our textures are already PNGs,
// embedded as they are, and stb's writer lives once, in StbImpl.cpp.

#define TINYGLTF_IMPLEMENTATION

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#include <tiny_gltf.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
