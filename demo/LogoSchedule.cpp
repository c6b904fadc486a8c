// The logo schedule.
#include "demo/LogoSchedule.h"

namespace ostrel {

LogoOverlay logoOverlayAt(double audioSeconds) {
  if (audioSeconds > kFirstLogoAfterSeconds && audioSeconds < kSecondLogoFromSeconds) {
    return {LogoOverlay::Texture::logo1, 1.0f};
  }
  if (audioSeconds >= kSecondLogoFromSeconds && audioSeconds < kLogosEndSeconds) {
    return {LogoOverlay::Texture::logo2, 1.0f};
  }
  return {LogoOverlay::Texture::preload, 0.0f};
}

}  // namespace ostrel
