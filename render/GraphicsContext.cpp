// Window, device, swap chain and depth buffer, and their rebuilding on resize.
#include "render/GraphicsContext.h"

#include "render/GraphicsError.h"
#include "render/TextureDescription.h"

#include <string>

namespace ostrel {
namespace {

constexpr DWORD kWindowStyle = WS_POPUP | WS_VISIBLE;  // no caption, no border
constexpr DXGI_FORMAT kBackBufferFormat = DXGI_FORMAT_R8G8B8A8_UNORM_SRGB;
constexpr DXGI_FORMAT kDepthStencilFormat = DXGI_FORMAT_D24_UNORM_S8_UINT;

std::string sizeText(std::uint32_t width, std::uint32_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

}  // namespace

HWND GraphicsContext::createWindow(std::uint32_t width, std::uint32_t height, int x, int y) {
  RECT frame{0, 0, LONG(width), LONG(height)};
  AdjustWindowRect(&frame, kWindowStyle, FALSE);  // a borderless frame adds nothing
  const HWND window = CreateWindowExA(0, kWindowClassNameA, kWindowTitle, kWindowStyle, x, y,
                                      frame.right - frame.left, frame.bottom - frame.top,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (!window) {
    const DWORD error = GetLastError();
    checkGraphics(error ? HRESULT_FROM_WIN32(error) : E_FAIL, "CreateWindowExA (main window)");
  }
  // Topmost and straight back: in front of every window now, without staying on top.
  SetWindowPos(window, HWND_TOPMOST, x, y, int(width), int(height), 0);
  SetWindowPos(window, HWND_NOTOPMOST, x, y, int(width), int(height), 0);
  ShowWindow(window, SW_SHOWNORMAL);
  return window;
}

void GraphicsContext::createDevice() {
  const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_1};
  checkGraphics(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, levels,
                                  UINT(std::size(levels)), D3D11_SDK_VERSION, &device, nullptr,
                                  &context),
                "D3D11CreateDevice (hardware, feature level 11_0 or 10_1)");
}

void GraphicsContext::createSwapChain(HWND window, std::uint32_t width, std::uint32_t height,
                                      bool windowed) {
  ComPtr<IDXGIFactory> factory;
  checkGraphics(CreateDXGIFactory(IID_PPV_ARGS(&factory)), "CreateDXGIFactory");

  DXGI_SWAP_CHAIN_DESC description{};
  description.BufferDesc.Width = width;
  description.BufferDesc.Height = height;
  description.BufferDesc.RefreshRate = {60, 1};
  description.BufferDesc.Format = kBackBufferFormat;
  description.SampleDesc = {1, 0};
  description.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
  description.BufferCount = 2;
  description.OutputWindow = window;
  description.Windowed = windowed ? TRUE : FALSE;
  description.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
  checkGraphics(factory->CreateSwapChain(device.Get(), &description, &swapChain),
                "CreateSwapChain (" + sizeText(width, height) +
                    (windowed ? ", windowed)" : ", fullscreen)"));

  createBackBufferView();
  createDepthStencil(width, height);
}

void GraphicsContext::resize(std::uint16_t width, std::uint16_t height) {
  if (!swapChain || width == 0 || height == 0) {
    return;
  }
  context->OMSetRenderTargets(0, nullptr, nullptr);
  renderTargetView.Reset();
  depthStencilView.Reset();
  depthStencilBuffer.Reset();

  // Count, size and format 0: keep count and format, take the window's client size.
  checkGraphics(swapChain->ResizeBuffers(0, 0, 0, DXGI_FORMAT_UNKNOWN, 0),
                "ResizeBuffers (" + sizeText(width, height) + ")");
  createBackBufferView();
  context->OMSetRenderTargets(1, renderTargetView.GetAddressOf(), nullptr);

  D3D11_VIEWPORT viewport{};
  viewport.Width = float(width);
  viewport.Height = float(height);
  viewport.MaxDepth = 1.0f;
  context->RSSetViewports(1, &viewport);

  createDepthStencil(width, height);
}

void GraphicsContext::createBackBufferView() {
  checkGraphics(swapChain->GetBuffer(0, IID_PPV_ARGS(&backBuffer)), "GetBuffer (back buffer 0)");
  const HRESULT result = device->CreateRenderTargetView(backBuffer.Get(), nullptr, &renderTargetView);
  backBuffer.Reset();
  checkGraphics(result, "CreateRenderTargetView (back buffer)");
}

void GraphicsContext::createDepthStencil(std::uint32_t width, std::uint32_t height) {
  const D3D11_TEXTURE2D_DESC texture =
      textureDescription(width, height, kDepthStencilFormat, D3D11_BIND_DEPTH_STENCIL);
  // Without a depth buffer nothing can be drawn: the run ends with the result as exit code.
  checkGraphics(device->CreateTexture2D(&texture, nullptr, &depthStencilBuffer),
                "CreateTexture2D (depth-stencil buffer, " + sizeText(width, height) + ")",
                /*resultIsExitCode=*/true);

  D3D11_DEPTH_STENCIL_VIEW_DESC view{};
  view.Format = kDepthStencilFormat;
  view.ViewDimension = D3D11_DSV_DIMENSION_TEXTURE2D;
  checkGraphics(device->CreateDepthStencilView(depthStencilBuffer.Get(), &view, &depthStencilView),
                "CreateDepthStencilView (depth-stencil buffer)");
}

}  // namespace ostrel
