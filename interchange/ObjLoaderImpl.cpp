// The one translation unit that holds tinyobjloader. The library is read only through its
// streaming interface (ObjImport.cpp); positions are parsed in double precision
// (TINYOBJLOADER_USE_DOUBLE, set for the whole module) so a float written in full reads back
// as exactly that float.

#define TINYOBJLOADER_IMPLEMENTATION

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif
#include <tiny_obj_loader.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
