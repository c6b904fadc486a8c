/* The PNG writer, compiled once from Debian's single-file stb_image_write. */
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
