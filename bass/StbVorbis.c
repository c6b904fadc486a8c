/* The Ogg Vorbis decoder, compiled once from Debian's single-file stb_vorbis. */
#include <stb/stb_vorbis.h>
