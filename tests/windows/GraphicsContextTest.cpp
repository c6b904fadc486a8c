// The main window, device, swap chain and depth buffer, their rebuilding on resize, and the
// UI binding around them, on the machine's real Direct3D 11.
#include "app/Application.h"
#include "app/FatalError.h"
#include "app/UiBinding.h"
#include "config/Configuration.h"
#include "config/ScreenSettings.h"
#include "render/GraphicsContext.h"
#include "render/GraphicsError.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrel {
namespace {

// One Application for the test program: the window class can be registered only once.
Application& application(Configuration*& configuration, ScreenSettings*& settings) {
  static Configuration theConfiguration;
  static ScreenSettings theSettings;
  static Application* theApplication = [] {
    theConfiguration.setDefaults();
    auto* made = new Application(GetModuleHandleW(nullptr), &theConfiguration, &theSettings);
    EXPECT_TRUE(made->registerWindowClass());
    return made;
  }();
  configuration = &theConfiguration;
  settings = &theSettings;
  return *theApplication;
}

// The window's WM_DESTROY posts a quit message; take it off this thread's queue again.
void destroy(HWND window) {
  DestroyWindow(window);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

RECT windowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

D3D11_TEXTURE2D_DESC backBufferDescription(GraphicsContext& graphics) {
  Microsoft::WRL::ComPtr<ID3D11Texture2D> buffer;
  EXPECT_HRESULT_SUCCEEDED(graphics.swapChain->GetBuffer(0, IID_PPV_ARGS(&buffer)));
  D3D11_TEXTURE2D_DESC description{};
  buffer->GetDesc(&description);
  return description;
}

class GraphicsContextTest : public ::testing::Test {
protected:
  void SetUp() override { application(configuration, settings); }

  void TearDown() override {
    if (window) {
      destroy(window);
    }
  }

  // A windowed 640 x 360 window with device, swap chain and depth buffer at (x, y).
  void createWindowed(int x = 40, int y = 30) {
    window = graphics.createWindow(640, 360, x, y);
    graphics.createDevice();
    graphics.createSwapChain(window, 640, 360, true);
  }

  Configuration* configuration = nullptr;
  ScreenSettings* settings = nullptr;
  GraphicsContext graphics;
  HWND window = nullptr;
};

TEST_F(GraphicsContextTest, WindowIsBorderlessAtItsPositionWithTheChosenOuterSize) {
  window = graphics.createWindow(640, 360, 40, 30);
  const RECT outer = windowRect(window);
  EXPECT_EQ(outer.left, 40);
  EXPECT_EQ(outer.top, 30);
  EXPECT_EQ(outer.right - outer.left, 640);
  EXPECT_EQ(outer.bottom - outer.top, 360);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 360);

  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER), 0);
  EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);  // brought forward only
  char title[64] = {};
  GetWindowTextA(window, title, 64);
  EXPECT_STREQ(title, "OstrelMinimal");
}

TEST_F(GraphicsContextTest, SwapChainAndDepthBufferAreMadeAsDescribedAndNothingIsBound) {
  createWindowed();
  EXPECT_GE(graphics.device->GetFeatureLevel(), D3D_FEATURE_LEVEL_10_1);
  std::printf("Feature level reached: 0x%X\n", unsigned(graphics.device->GetFeatureLevel()));

  DXGI_SWAP_CHAIN_DESC chain{};
  ASSERT_HRESULT_SUCCEEDED(graphics.swapChain->GetDesc(&chain));
  EXPECT_EQ(chain.BufferDesc.Width, 640u);
  EXPECT_EQ(chain.BufferDesc.Height, 360u);
  EXPECT_EQ(chain.BufferDesc.Format, DXGI_FORMAT_R8G8B8A8_UNORM_SRGB);
  EXPECT_EQ(chain.BufferDesc.RefreshRate.Numerator, 60u);
  EXPECT_EQ(chain.BufferDesc.RefreshRate.Denominator, 1u);
  EXPECT_EQ(chain.SampleDesc.Count, 1u);
  EXPECT_EQ(chain.BufferCount, 2u);
  EXPECT_TRUE(chain.BufferUsage & DXGI_USAGE_RENDER_TARGET_OUTPUT);
  EXPECT_EQ(chain.OutputWindow, window);
  EXPECT_TRUE(chain.Windowed);
  EXPECT_EQ(chain.SwapEffect, DXGI_SWAP_EFFECT_DISCARD);

  ASSERT_NE(graphics.renderTargetView, nullptr);
  EXPECT_EQ(graphics.backBuffer, nullptr);  // its reference goes once the view exists
  D3D11_TEXTURE2D_DESC depth{};
  graphics.depthStencilBuffer->GetDesc(&depth);
  EXPECT_EQ(depth.Width, 640u);
  EXPECT_EQ(depth.Height, 360u);
  EXPECT_EQ(depth.Format, DXGI_FORMAT_D24_UNORM_S8_UINT);
  EXPECT_EQ(depth.BindFlags, UINT(D3D11_BIND_DEPTH_STENCIL));
  EXPECT_EQ(depth.SampleDesc.Count, 1u);
  D3D11_DEPTH_STENCIL_VIEW_DESC depthView{};
  graphics.depthStencilView->GetDesc(&depthView);
  EXPECT_EQ(depthView.Format, DXGI_FORMAT_D24_UNORM_S8_UINT);
  EXPECT_EQ(depthView.ViewDimension, D3D11_DSV_DIMENSION_TEXTURE2D);

  Microsoft::WRL::ComPtr<ID3D11RenderTargetView> bound;
  Microsoft::WRL::ComPtr<ID3D11DepthStencilView> boundDepth;
  graphics.context->OMGetRenderTargets(1, &bound, &boundDepth);
  EXPECT_EQ(bound, nullptr);
  EXPECT_EQ(boundDepth, nullptr);
}

TEST_F(GraphicsContextTest, WindowResizeRebuildsTheBuffersAndBindsTheBackBufferAlone) {
  createWindowed();
  // Through the window procedure, as a resize by the viewer arrives.
  SetWindowPos(window, nullptr, 0, 0, 800, 450, SWP_NOMOVE | SWP_NOZORDER);

  const D3D11_TEXTURE2D_DESC back = backBufferDescription(graphics);
  EXPECT_EQ(back.Width, 800u);
  EXPECT_EQ(back.Height, 450u);
  EXPECT_EQ(back.Format, DXGI_FORMAT_R8G8B8A8_UNORM_SRGB);
  D3D11_TEXTURE2D_DESC depth{};
  graphics.depthStencilBuffer->GetDesc(&depth);
  EXPECT_EQ(depth.Width, 800u);
  EXPECT_EQ(depth.Height, 450u);

  Microsoft::WRL::ComPtr<ID3D11RenderTargetView> bound;
  Microsoft::WRL::ComPtr<ID3D11DepthStencilView> boundDepth;
  graphics.context->OMGetRenderTargets(1, &bound, &boundDepth);
  EXPECT_EQ(bound, graphics.renderTargetView);
  EXPECT_EQ(boundDepth, nullptr);
  UINT count = 1;
  D3D11_VIEWPORT viewport{};
  graphics.context->RSGetViewports(&count, &viewport);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(viewport.TopLeftX, 0.0f);
  EXPECT_EQ(viewport.TopLeftY, 0.0f);
  EXPECT_EQ(viewport.Width, 800.0f);
  EXPECT_EQ(viewport.Height, 450.0f);
  EXPECT_EQ(viewport.MinDepth, 0.0f);
  EXPECT_EQ(viewport.MaxDepth, 1.0f);
}

TEST_F(GraphicsContextTest, ResizeBeforeTheSwapChainOrToNothingChangesNothing) {
  window = graphics.createWindow(640, 360, 40, 30);  // its WM_SIZE found no swap chain
  graphics.resize(320, 200);
  EXPECT_EQ(graphics.swapChain, nullptr);
  EXPECT_EQ(graphics.renderTargetView, nullptr);

  graphics.createDevice();
  graphics.createSwapChain(window, 640, 360, true);
  ID3D11RenderTargetView* view = graphics.renderTargetView.Get();
  ID3D11Texture2D* depth = graphics.depthStencilBuffer.Get();
  graphics.resize(0, 0);  // a minimised window
  EXPECT_EQ(graphics.renderTargetView.Get(), view);
  EXPECT_EQ(graphics.depthStencilBuffer.Get(), depth);
  EXPECT_EQ(backBufferDescription(graphics).Width, 640u);
}

TEST_F(GraphicsContextTest, WindowGoesToTheConfiguredPositionAndOnTopOnlyForExactlyOne) {
  configuration->uiState["mainWindowPosition"] = {120, 80};
  settings->width = 480;
  settings->height = 270;
  settings->windowed = 1;
  for (const std::uint32_t alwaysOnTop : {0u, 1u, 2u}) {
    SCOPED_TRACE(alwaysOnTop);
    settings->alwaysOnTop = alwaysOnTop;
    GraphicsContext made;
    HWND madeWindow = nullptr;
    application(configuration, settings).createWindowAndDevice(&made, madeWindow);
    ASSERT_NE(madeWindow, nullptr);
    const RECT outer = windowRect(madeWindow);
    EXPECT_EQ(outer.left, 120);
    EXPECT_EQ(outer.top, 80);
    EXPECT_EQ(outer.right - outer.left, 480);
    EXPECT_EQ(outer.bottom - outer.top, 270);
    EXPECT_EQ((GetWindowLongW(madeWindow, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, alwaysOnTop == 1);
    EXPECT_NE(made.depthStencilView, nullptr);
    destroy(madeWindow);
  }
  configuration->setDefaults();
}

TEST_F(GraphicsContextTest, FailedCreationNamesTheCallAndItsResult) {
  window = graphics.createWindow(640, 360, 40, 30);
  graphics.createDevice();
  try {
    // The swap chain takes the client size for 0 x 0; a depth buffer cannot.
    graphics.createSwapChain(window, 0, 0, true);
    FAIL() << "a zero-sized depth buffer was made";
  } catch (const GraphicsError& error) {
    EXPECT_STREQ(error.what(), "CreateTexture2D (depth-stencil buffer, 0 x 0) failed (0x80070057)");
    EXPECT_EQ(error.result(), E_INVALIDARG);
    EXPECT_EQ(fatalErrorExitCode(error), UINT(E_INVALIDARG));  // the run ends with the result code
  }

  try {
    checkGraphics(DXGI_ERROR_INVALID_CALL, "CreateSwapChain (640 x 360, windowed)");
    FAIL() << "a failure went unnoticed";
  } catch (const GraphicsError& error) {
    EXPECT_STREQ(error.what(), "CreateSwapChain (640 x 360, windowed) failed (0x887A0001)");
    EXPECT_EQ(fatalErrorExitCode(error), 1u);
  }
  EXPECT_NO_THROW(checkGraphics(S_FALSE, "Present"));
}

TEST_F(GraphicsContextTest, UiBindingRunsFramesFollowsResizesAndShutsDown) {
  createWindowed();
  initialiseUiBinding(window, graphics.device.Get(), graphics.context.Get(), 640.0f, 360.0f);
  ASSERT_TRUE(uiBindingActive());
  for (int frame = 0; frame < 3; ++frame) {
    runUiFrame();
  }
  SetWindowPos(window, nullptr, 0, 0, 800, 450, SWP_NOMOVE | SWP_NOZORDER);
  runUiFrame();
  EXPECT_EQ(backBufferDescription(graphics).Width, 800u);

  shutdownUiBinding();
  EXPECT_FALSE(uiBindingActive());
  // Messages after the end find no binding and do no harm.
  SetWindowPos(window, nullptr, 0, 0, 640, 360, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(backBufferDescription(graphics).Width, 640u);
}

}  // namespace
}  // namespace ostrel
