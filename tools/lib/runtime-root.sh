# Shared by tools/bootstrap.sh and tools/in-root: where the Debian 13 runtime root lives and
# what it holds. The root carries Wine 10 (Debian 12's Wine 8 cannot compile ordinary HLSL)
# and the Mesa and PulseAudio client libraries it loads; everything that runs Windows code
# runs inside it, while the build, the display and the sound server stay on the host.

ostrel_deps=${OSTREL_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/ostrel-deps}

# Bump when the list below or the way the root is made changes: a new root is then made
# beside the old one, which can be deleted.
runtime_revision=3
runtime_suite=trixie
runtime_root=$ostrel_deps/runtime/debian13-r$runtime_revision

runtime_packages=(
  wine wine64          # Wine 10 with its 64-bit loader and its HLSL compiler
  libgl1 libglx-mesa0 libgl1-mesa-dri   # OpenGL through Mesa's software rasteriser, which
                                        # wined3d draws Direct3D 11 with
  libpulse0            # Wine's sound output talks to the harness's PulseAudio server
  # The X extensions Wine's X11 driver loads when present, as on a viewer's desktop. Without
  # XInput2 it cannot confine the pointer to a fullscreen window, and its message loop then
  # spins on the refused clip as soon as a key comes during start-up (Alt+F4 hung the program).
  libxi6 libxcursor1 libxrandr2 libxinerama1 libxcomposite1
  dxvk-wine64 libvulkan1 mesa-vulkan-drivers   # a second Direct3D 11, on Vulkan through
                                               # Mesa's lavapipe (OSTREL_D3D=dxvk)
  procps
)

# DXVK's Direct3D 11 and DXGI inside the root, which a program loads from its own folder.
dxvk_dlls=(/usr/lib/dxvk/wine64/d3d11.dll.so /usr/lib/dxvk/wine64/dxgi.dll.so)
