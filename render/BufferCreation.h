// Creation of the GPU buffers the passes and the scenes draw with.
#pragma once

#include <d3d11.h>
#include <wrl/client.h>

#include <string>

namespace ostrel {

// A buffer of byteWidth bytes bound as bindFlags, filled from initialData (null leaves it
// to be written later). A dynamic one can be rewritten by the CPU every draw. A failure is
// logged at critical as "CreateBuffer (<what>) failed (0x........)"; the buffer is then null.
Microsoft::WRL::ComPtr<ID3D11Buffer> createBuffer(ID3D11Device* device, UINT byteWidth,
                                                  D3D11_USAGE usage, UINT bindFlags,
                                                  const void* initialData,
                                                  const std::string& what);

}  // namespace ostrel
