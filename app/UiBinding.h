// Dear ImGui with its Win32 and Direct3D 11 binding, kept alive for the main window. The
// production draws no user interface with it: it is fed every message and a frame per pass.
#pragma once

#include <d3d11.h>
#include <windows.h>

namespace ostrel {

// Creates the UI context and binds it to the window and device; display size in pixels.
// Throws std::runtime_error when the binding cannot start.
void initialiseUiBinding(HWND window, ID3D11Device* device, ID3D11DeviceContext* context,
                         float width, float height);

// True between initialiseUiBinding and shutdownUiBinding.
bool uiBindingActive();

// Hands a window message to the binding (mouse and keyboard state); its answer is not used.
void forwardMessageToUi(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Begins one UI frame (client size, time since the last pass, modifier keys, arrow cursor)
// and closes it at once, as nothing is drawn with it.
void runUiFrame();

// Around a change of the swap chain's buffers: the binding's device objects go first and are
// made again at the new display size. Nothing happens while the binding is not active.
void releaseUiDeviceObjects();
void recreateUiDeviceObjects(float width, float height);

// Releases the binding's device objects, its device, context and window, and the context.
void shutdownUiBinding();

}  // namespace ostrel
