// Buffer creation, its failure logged.
#include "render/BufferCreation.h"

#include "render/CreationCheck.h"

namespace ostrel {

Microsoft::WRL::ComPtr<ID3D11Buffer> createBuffer(ID3D11Device* device, UINT byteWidth,
                                                  D3D11_USAGE usage, UINT bindFlags,
                                                  const void* initialData,
                                                  const std::string& what) {
  D3D11_BUFFER_DESC description{};
  description.ByteWidth = byteWidth;
  description.Usage = usage;
  description.BindFlags = bindFlags;
  description.CPUAccessFlags = usage == D3D11_USAGE_DYNAMIC ? D3D11_CPU_ACCESS_WRITE : 0;
  const D3D11_SUBRESOURCE_DATA data{initialData, 0, 0};
  Microsoft::WRL::ComPtr<ID3D11Buffer> buffer;
  logCreation(device->CreateBuffer(&description, initialData ? &data : nullptr, &buffer),
              "CreateBuffer (" + what + ")");
  return buffer;
}

}  // namespace ostrel
