// The Dear ImGui binding of the main window.
#include "app/UiBinding.h"

#include <imgui.h>
#include <imgui_impl_dx11.h>
#include <imgui_impl_win32.h>

#include <stdexcept>

// The binding's message handler; its header leaves the declaration to the program.
extern IMGUI_IMPL_API LRESULT ImGui_ImplWin32_WndProcHandler(HWND window, UINT message,
                                                             WPARAM wParam, LPARAM lParam);

namespace ostrel {
namespace {
bool active = false;
}

void initialiseUiBinding(HWND window, ID3D11Device* device, ID3D11DeviceContext* context,
                         float width, float height) {
  IMGUI_CHECKVERSION();
  ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // the production leaves no imgui.ini behind
  if (!ImGui_ImplWin32_Init(window)) {
    // Only fails without a performance counter, which every Windows since XP has.
    throw std::runtime_error("ImGui_ImplWin32_Init failed: no performance counter");
  }
  ImGui_ImplDX11_Init(device, context);
  io.DisplaySize = ImVec2(width, height);
  active = true;
}

bool uiBindingActive() {
  return active;
}

void forwardMessageToUi(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ImGui_ImplWin32_WndProcHandler(window, message, wParam, lParam);
}

void runUiFrame() {
  ImGui_ImplDX11_NewFrame();
  ImGui_ImplWin32_NewFrame();
  ImGui::NewFrame();
  // A frame left open would make the next NewFrame fail its checks; ending it draws nothing.
  ImGui::EndFrame();
}

void releaseUiDeviceObjects() {
  if (active) {
    ImGui_ImplDX11_InvalidateDeviceObjects();
  }
}

void recreateUiDeviceObjects(float width, float height) {
  if (active) {
    ImGui::GetIO().DisplaySize = ImVec2(width, height);
    ImGui_ImplDX11_CreateDeviceObjects();
  }
}

void shutdownUiBinding() {
  if (!active) {
    return;
  }
  active = false;
  ImGui_ImplDX11_Shutdown();
  ImGui_ImplWin32_Shutdown();
  ImGui::DestroyContext();
}

}  // namespace ostrel
