// The image decoder, compiled once from Debian's single-file stb_image. File names are UTF-8
// on Windows too.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_WINDOWS_UTF8
#include <stb/stb_image.h>
