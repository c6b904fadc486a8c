// The PNG writer the rendering tests keep pictures with, compiled once. File names are
// UTF-8 on Windows too.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBIW_WINDOWS_UTF8
#include <stb/stb_image_write.h>
