// When the two logos cover the picture: the first from just after 172.89 s to 177 s of the
// music, the second from 177 s to 181 s; otherwise the overlay runs fully transparent.
#pragma once

namespace ostrel {

struct LogoOverlay {
  enum class Texture {
    preload,  // "preload.png", shown at opacity 0
    logo1,    // "quorvel_1920.png"
    logo2,    // "Tessane_1920.png"
  };
  Texture texture;
  float opacity;  // 0..1
};

// The first logo's bound is the single-precision 172.89 widened (172.88999938964844),
// compared strictly: 172.89 as a double already shows it.
inline constexpr double kFirstLogoAfterSeconds = double(172.89f);
inline constexpr double kSecondLogoFromSeconds = 177.0;
inline constexpr double kLogosEndSeconds = 181.0;

// The overlay at audioSeconds of the music.
LogoOverlay logoOverlayAt(double audioSeconds);

}  // namespace ostrel
