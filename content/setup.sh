#!/usr/bin/env bash
# Installs what regenerating the production's content needs (Debian 12): for the music the
# synthesizer and its General MIDI soundfont (about 140 MB), the Ogg encoder, numpy and the
# loudness meter (and, for content/analyze.py, sox and ImageMagick); for the scenes and
# pictures Blender, assimp's tool and the fonts they use. Building and testing the
# production need none of it: the generated files are committed in resources/.
set -euo pipefail
packages=(fluidsynth fluid-soundfont-gm vorbis-tools python3 python3-mido python3-numpy
          libebur128-1 sox imagemagick fonts-dejavu-core blender assimp-utils
          fonts-league-spartan fonts-comfortaa fonts-bebas-neue)
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
missing=()
for package in "${packages[@]}"; do
  [ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" = "install ok installed" ] ||
    missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "content tools present"
  exit 0
fi
as_root apt-get update -q
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
  "${missing[@]}"
