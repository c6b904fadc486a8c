// The entry point: the setup dialog, then the production in its start-up order, played on
// the sound card's clock until the music ends.
#include "app/Production.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return ostrel::Production::run(instance, [](ostrel::Production& production) {
    if (!production.runSetup()) {
      return;  // cancelled: the choices are kept, and no window is made
    }
    production.start();
    production.startPlayback();
    production.runFrameLoop();
  });
}
