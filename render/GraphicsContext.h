// The window the production draws into and the Direct3D 11 device, immediate context, swap
// chain, back-buffer view and depth-stencil buffer that draw into it. One process-wide
// instance, never destroyed; every later part draws through it.
#pragma once

#include <d3d11.h>
#include <dxgi.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>

namespace ostrel {

struct GraphicsContext {
  template <class T>
  using ComPtr = Microsoft::WRL::ComPtr<T>;

  // Borderless, visible window of the class "WindowClass" with its top-left corner at (x, y)
  // and an outer size of width x height, brought in front of every other window once.
  // Throws GraphicsError when it cannot be created.
  HWND createWindow(std::uint32_t width, std::uint32_t height, int x, int y);

  // Hardware device on the default adapter at feature level 11_0, else 10_1.
  void createDevice();

  // Swap chain on window (two sRGB buffers, 60 Hz, starts fullscreen unless windowed), the
  // view of its back buffer, and a depth-stencil buffer with its view. Binds nothing.
  void createSwapChain(HWND window, std::uint32_t width, std::uint32_t height, bool windowed);

  // Fits the buffers to a new client size: back-buffer view bound alone, viewport covering
  // it, new depth-stencil buffer. Nothing before the swap chain exists, nor for a minimised
  // (zero-sized) window, whose buffers are kept for when it comes back.
  void resize(std::uint16_t width, std::uint16_t height);

  ComPtr<IDXGISwapChain> swapChain;
  ComPtr<ID3D11Device> device;
  ComPtr<ID3D11DeviceContext> context;
  ComPtr<ID3D11RenderTargetView> renderTargetView;
  ComPtr<ID3D11Texture2D> backBuffer;  // held only while its view is made
  ComPtr<ID3D11Texture2D> depthStencilBuffer;
  ComPtr<ID3D11DepthStencilView> depthStencilView;

private:
  void createBackBufferView();
  void createDepthStencil(std::uint32_t width, std::uint32_t height);
};

// The window class of the main window, for the wide and the 8-bit calls.
inline constexpr const wchar_t* kWindowClassName = L"WindowClass";
inline constexpr const char* kWindowClassNameA = "WindowClass";
inline constexpr const char* kWindowTitle = "OstrelMinimal";

}  // namespace ostrel
