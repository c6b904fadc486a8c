// The shared quad, states and draw of the post-processing passes.
#include "render/PostProcessorBase.h"

#include "registry/DemoLogger.h"
#include "render/BufferCreation.h"
#include "render/CreationCheck.h"
#include "render/PostConstants.h"
#include "render/RepeatedCallCheck.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace ostrel {
namespace {

// Clip-space position and texture coordinate: the quad covers the whole output.
struct QuadVertex {
  float position[4];
  float texcoord[2];
};
static_assert(sizeof(QuadVertex) == 24);

constexpr QuadVertex kQuadVertices[4] = {
    {{1, 1, 1, 1}, {1, 0}},
    {{1, -1, 1, 1}, {1, 1}},
    {{-1, -1, 1, 1}, {0, 1}},
    {{-1, 1, 1, 1}, {0, 0}},
};
constexpr std::uint16_t kQuadIndices[6] = {0, 1, 2, 2, 3, 0};

constexpr UINT kInputSlots = D3D11_COMMONSHADER_INPUT_RESOURCE_SLOT_COUNT;  // 16
constexpr std::size_t kSizedInputs = 4;  // PostConstants has room for four input sizes

// Width and height of a mip level: never below one pixel.
void mipSize(const D3D11_TEXTURE2D_DESC& texture, UINT mip, float size[2]) {
  size[0] = float(std::max(1u, texture.Width >> mip));
  size[1] = float(std::max(1u, texture.Height >> mip));
}

D3D11_TEXTURE2D_DESC textureDescription(ID3D11View* view) {
  Microsoft::WRL::ComPtr<ID3D11Resource> resource;
  view->GetResource(&resource);
  D3D11_TEXTURE2D_DESC description{};
  Microsoft::WRL::ComPtr<ID3D11Texture2D> texture;
  if (SUCCEEDED(resource.As(&texture))) {
    texture->GetDesc(&description);
  }
  return description;
}

// The mip level a shader-resource view shows first.
UINT mostDetailedMip(ID3D11ShaderResourceView* view) {
  D3D11_SHADER_RESOURCE_VIEW_DESC description{};
  view->GetDesc(&description);
  switch (description.ViewDimension) {
    case D3D11_SRV_DIMENSION_TEXTURE2D: return description.Texture2D.MostDetailedMip;
    case D3D11_SRV_DIMENSION_TEXTURE2DARRAY: return description.Texture2DArray.MostDetailedMip;
    default: return 0;
  }
}

UINT mipSlice(ID3D11RenderTargetView* view) {
  D3D11_RENDER_TARGET_VIEW_DESC description{};
  view->GetDesc(&description);
  switch (description.ViewDimension) {
    case D3D11_RTV_DIMENSION_TEXTURE2D: return description.Texture2D.MipSlice;
    case D3D11_RTV_DIMENSION_TEXTURE2DARRAY: return description.Texture2DArray.MipSlice;
    default: return 0;
  }
}

D3D11_SAMPLER_DESC samplerDescription(D3D11_FILTER filter) {
  D3D11_SAMPLER_DESC description{};
  description.Filter = filter;
  description.AddressU = D3D11_TEXTURE_ADDRESS_CLAMP;
  description.AddressV = D3D11_TEXTURE_ADDRESS_CLAMP;
  description.AddressW = D3D11_TEXTURE_ADDRESS_WRAP;
  description.MipLODBias = 0;
  description.MaxAnisotropy = 1;
  description.ComparisonFunc = D3D11_COMPARISON_ALWAYS;
  description.MinLOD = 0;
  description.MaxLOD = D3D11_FLOAT32_MAX;
  return description;
}

}  // namespace

PostProcessorBase::PostProcessorBase() : resources(masterResources()) {}

void PostProcessorBase::init(ID3D11Device* device) {
  this->device = device;
  quadProgram = Shader(device);
  quadProgram.loadVertexShader(resources.shaders["quad"] ? resources.shaders["quad"] : L"",
                               "QuadVS");
  createQuad();
  createStates();
  createSamplers();
}

void PostProcessorBase::createQuad() {
  quadVertexBuffer = createBuffer(device, sizeof(kQuadVertices), D3D11_USAGE_IMMUTABLE,
                                  D3D11_BIND_VERTEX_BUFFER, kQuadVertices, "quad vertices");
  quadIndexBuffer = createBuffer(device, sizeof(kQuadIndices), D3D11_USAGE_IMMUTABLE,
                                 D3D11_BIND_INDEX_BUFFER, kQuadIndices, "quad indices");
  sizeBuffer = createBuffer(device, sizeof(PostConstants), D3D11_USAGE_DYNAMIC,
                            D3D11_BIND_CONSTANT_BUFFER, nullptr, "PostConstants");
}

void PostProcessorBase::createStates() {
  // No depth test or write: the quad covers every pixel of the output.
  D3D11_DEPTH_STENCIL_DESC depth{};
  depth.DepthEnable = FALSE;
  depth.DepthWriteMask = D3D11_DEPTH_WRITE_MASK_ZERO;
  depth.DepthFunc = D3D11_COMPARISON_LESS_EQUAL;
  depth.StencilEnable = FALSE;
  depth.StencilReadMask = 0xFF;
  depth.StencilWriteMask = 0xFF;
  depth.FrontFace = {D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_REPLACE,
                     D3D11_COMPARISON_ALWAYS};
  depth.BackFace = depth.FrontFace;
  logCreation(device->CreateDepthStencilState(&depth, &depthStencilState),
              "CreateDepthStencilState (post-processing)");

  // Blending off: each pass writes its result as it is.
  D3D11_BLEND_DESC blend{};
  blend.AlphaToCoverageEnable = FALSE;
  blend.IndependentBlendEnable = FALSE;
  for (D3D11_RENDER_TARGET_BLEND_DESC& target : blend.RenderTarget) {
    target = {FALSE,
              D3D11_BLEND_ONE,
              D3D11_BLEND_ONE,
              D3D11_BLEND_OP_ADD,
              D3D11_BLEND_ONE,
              D3D11_BLEND_ONE,
              D3D11_BLEND_OP_ADD,
              D3D11_COLOR_WRITE_ENABLE_ALL};
  }
  logCreation(device->CreateBlendState(&blend, &blendState), "CreateBlendState (post-processing)");

  D3D11_RASTERIZER_DESC rasterizer{};
  rasterizer.FillMode = D3D11_FILL_SOLID;
  rasterizer.CullMode = D3D11_CULL_NONE;
  rasterizer.FrontCounterClockwise = FALSE;
  rasterizer.DepthBias = 0;
  rasterizer.DepthBiasClamp = 0;
  rasterizer.SlopeScaledDepthBias = 0;
  rasterizer.DepthClipEnable = TRUE;
  rasterizer.ScissorEnable = FALSE;
  rasterizer.MultisampleEnable = TRUE;
  rasterizer.AntialiasedLineEnable = FALSE;
  logCreation(device->CreateRasterizerState(&rasterizer, &rasterizerState),
              "CreateRasterizerState (post-processing)");
}

void PostProcessorBase::createSamplers() {
  const D3D11_SAMPLER_DESC linear = samplerDescription(D3D11_FILTER_MIN_MAG_MIP_LINEAR);
  logCreation(device->CreateSamplerState(&linear, &linearSampler), "CreateSamplerState (linear)");
  const D3D11_SAMPLER_DESC point = samplerDescription(D3D11_FILTER_MIN_MAG_MIP_POINT);
  logCreation(device->CreateSamplerState(&point, &pointSampler), "CreateSamplerState (point)");
}

void PostProcessorBase::apply(ID3D11DeviceContext* context, ID3D11ShaderResourceView*,
                              ID3D11RenderTargetView*) {
  this->context = context;
  context->RSSetState(rasterizerState.Get());
  const float blendFactor[4] = {1, 1, 1, 1};
  context->OMSetBlendState(blendState.Get(), blendFactor, 0xFFFFFFFF);
  context->OMSetDepthStencilState(depthStencilState.Get(), 0);
  ID3D11SamplerState* samplers[2] = {pointSampler.Get(), linearSampler.Get()};
  context->PSSetSamplers(0, 2, samplers);

  context->IASetInputLayout(quadProgram.inputLayout.Get());
  ID3D11Buffer* vertexBuffer = quadVertexBuffer.Get();
  const UINT stride = sizeof(QuadVertex);
  const UINT offset = 0;
  context->IASetVertexBuffers(0, 1, &vertexBuffer, &stride, &offset);
  context->IASetIndexBuffer(quadIndexBuffer.Get(), DXGI_FORMAT_R16_UINT, 0);
  context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);

  context->VSSetShader(quadProgram.vertexShader.Get(), nullptr, 0);
  context->GSSetShader(nullptr, nullptr, 0);
  context->DSSetShader(nullptr, nullptr, 0);
  context->HSSetShader(nullptr, nullptr, 0);
}

void PostProcessorBase::resize(std::int32_t width, std::int32_t height) {
  this->width = width;
  this->height = height;
}

void PostProcessorBase::draw(ID3D11PixelShader* pixelShader) {
  context->OMSetRenderTargets(UINT(outputs.size()), outputs.data(), nullptr);
  context->PSSetShaderResources(0, UINT(std::min<std::size_t>(inputs.size(), kInputSlots)),
                                inputs.data());
  writeSizes();
  ID3D11Buffer* constants = sizeBuffer.Get();
  context->PSSetConstantBuffers(0, 1, &constants);
  setViewports();
  context->PSSetShader(pixelShader, nullptr, 0);
  context->DrawIndexed(6, 0, 0);

  inputs.clear();
  outputs.clear();
  ID3D11ShaderResourceView* none[kInputSlots] = {};
  context->PSSetShaderResources(0, kInputSlots, none);
}

void PostProcessorBase::writeSizes() {
  static RepeatedCallCheck mapCheck("Map (PostConstants)");
  D3D11_MAPPED_SUBRESOURCE mapped{};
  if (!mapCheck.succeeded(context->Map(sizeBuffer.Get(), 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped))) {
    return;
  }
  auto* constants = static_cast<PostConstants*>(mapped.pData);
  for (std::size_t i = 0; i < std::min(inputs.size(), kSizedInputs); ++i) {
    if (inputs[i]) {
      mipSize(textureDescription(inputs[i]), mostDetailedMip(inputs[i]),
              constants->inputSize[i]);
    }
  }
  if (!outputs.empty() && outputs[0]) {
    mipSize(textureDescription(outputs[0]), mipSlice(outputs[0]), constants->outputSize);
  }
  context->Unmap(sizeBuffer.Get(), 0);
}

void PostProcessorBase::setViewports() {
  if (outputs.empty() || !outputs[0]) {
    return;  // nothing to draw into; the viewports bound stay
  }
  float size[2];
  mipSize(textureDescription(outputs[0]), mipSlice(outputs[0]), size);
  D3D11_VIEWPORT viewports[D3D11_VIEWPORT_AND_SCISSORRECT_OBJECT_COUNT_PER_PIPELINE];
  for (D3D11_VIEWPORT& viewport : viewports) {
    viewport = {0, 0, size[0], size[1], 0, 1};
  }
  context->RSSetViewports(UINT(std::min<std::size_t>(outputs.size(), std::size(viewports))),
                          viewports);
}

void PostProcessorBase::setUp(ID3D11Device* device, std::int32_t width, std::int32_t height,
                              UINT parameterBufferSize, ComPtr<ID3D11Buffer>& parameterBuffer) {
  init(device);
  this->width = width;
  this->height = height;
  parameterBuffer = createBuffer(device, parameterBufferSize, D3D11_USAGE_DYNAMIC,
                                 D3D11_BIND_CONSTANT_BUFFER, nullptr, "pass constants");
}

Shader PostProcessorBase::loadProgram(const char* key) {
  Shader program(device);
  const Resources::Path path = resources.postShaders[key];
  if (!path) {
    demoLogger()->critical("No post-processing program is registered as \"{}\"", key);
  }
  program.loadPixelShader(path ? path : L"", "p");
  return program;
}

void PostProcessorBase::bindParameters(ID3D11Buffer* buffer, const void* parameters,
                                       std::size_t size) {
  static RepeatedCallCheck mapCheck("Map (pass constants)");
  D3D11_MAPPED_SUBRESOURCE mapped{};
  if (mapCheck.succeeded(context->Map(buffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped))) {
    std::memcpy(mapped.pData, parameters, size);
    context->Unmap(buffer, 0);
  }
  context->PSSetConstantBuffers(1, 1, &buffer);
}

void PostProcessorBase::applyProgram(ID3D11DeviceContext* context,
                                     ID3D11ShaderResourceView* input,
                                     ID3D11RenderTargetView* output, const Shader& program,
                                     ID3D11Buffer* parameterBuffer, const void* parameters,
                                     std::size_t size) {
  PostProcessorBase::apply(context, input, output);
  bindParameters(parameterBuffer, parameters, size);
  inputs = {input};
  outputs = {output};
  draw(program.pixelShader.Get());
}

}  // namespace ostrel
