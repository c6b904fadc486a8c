// What every full-screen post-processing pass shares: the quad and its vertex program, the
// point (s0) and linear (s1) samplers, fixed rasterizer, blend and depth-stencil states, the
// PostConstants buffer (b0), and the draw that binds a sub-pass's inputs and outputs.
//
// A pass is set up once with create(device, width, height) (init, its own constant buffer
// at b1, its programs, its targets), sized with resize, and applied once per frame. What a
// pass binds stays bound after it; only the pixel-shader inputs are cleared after each draw
// so that the targets just read can be written again.
#pragma once

#include "registry/Resources.h"
#include "render/Shader.h"

#include <d3d11.h>
#include <wrl/client.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ostrel {

class PostProcessorBase {
public:
  template <class T>
  using ComPtr = Microsoft::WRL::ComPtr<T>;

  // Copies the process-wide registry; everything else is made by init.
  PostProcessorBase();

  // Creates the quad program ("QuadVS" of the "quad" shader), the quad's buffers, the size
  // buffer, the states and the samplers on device.
  virtual void init(ID3D11Device* device);
  // Binds the shared pipeline state on context; draws nothing. Passes that draw override it
  // and start with it.
  virtual void apply(ID3D11DeviceContext* context, ID3D11ShaderResourceView* input,
                     ID3D11RenderTargetView* output);
  // Stores the size; targets a pass has made keep theirs.
  virtual void resize(std::int32_t width, std::int32_t height);
  // One full-screen draw of pixelShader from inputs (t0 up) into outputs (render targets 0
  // up), with their sizes in PostConstants; then empties both lists and unbinds all 16
  // pixel-shader inputs. Sizes are told for the first four inputs only.
  virtual void draw(ID3D11PixelShader* pixelShader);

  ID3D11Device* device = nullptr;          // not owned
  ID3D11DeviceContext* context = nullptr;  // not owned; set by every apply
  ComPtr<ID3D11Buffer> quadVertexBuffer;
  ComPtr<ID3D11Buffer> quadIndexBuffer;
  Shader quadProgram;
  ComPtr<ID3D11SamplerState> pointSampler;   // s0
  ComPtr<ID3D11SamplerState> linearSampler;  // s1
  ComPtr<ID3D11DepthStencilState> depthStencilState;
  ComPtr<ID3D11BlendState> blendState;
  ComPtr<ID3D11RasterizerState> rasterizerState;
  std::vector<ID3D11ShaderResourceView*> inputs;  // of the next draw, in slot order
  std::vector<ID3D11RenderTargetView*> outputs;   // of the next draw, in slot order
  ComPtr<ID3D11Buffer> sizeBuffer;                // PostConstants
  std::int32_t width = 0;
  std::int32_t height = 0;
  Resources resources;

protected:
  // The set-up pattern's first steps: init, the size, and the pass's own constant buffer of
  // byteWidth bytes (dynamic, written by the CPU each apply).
  void setUp(ID3D11Device* device, std::int32_t width, std::int32_t height,
             UINT parameterBufferSize, ComPtr<ID3D11Buffer>& parameterBuffer);
  // A fresh Shader on the device with the pixel program "p" of the postShaders entry key.
  Shader loadProgram(const char* key);
  // Writes size bytes of parameters into buffer (discarding its old contents) and binds it
  // to pixel constant-buffer slot 1.
  void bindParameters(ID3D11Buffer* buffer, const void* parameters, std::size_t size);
  // The apply pattern of a pass with one program: the shared state, its parameters at b1,
  // and one draw from input into output.
  void applyProgram(ID3D11DeviceContext* context, ID3D11ShaderResourceView* input,
                    ID3D11RenderTargetView* output, const Shader& program,
                    ID3D11Buffer* parameterBuffer, const void* parameters, std::size_t size);

private:
  void createQuad();
  void createStates();
  void createSamplers();
  void writeSizes();
  void setViewports();
};

}  // namespace ostrel
