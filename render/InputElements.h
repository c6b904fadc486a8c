// The vertex input layout a compiled vertex program asks for, read from its own input
// signature, so that no vertex format is written down twice.
#pragma once

#include <d3d11.h>
#include <d3dcommon.h>

#include <string>
#include <vector>

namespace ostrel {

struct InputElement {
  std::string semanticName;
  UINT semanticIndex = 0;
  DXGI_FORMAT format = DXGI_FORMAT_UNKNOWN;
};

// The format for a signature parameter: the highest used component of mask decides the
// width (mask 4, only z used, still gives three components); UINT32, SINT32 and FLOAT32
// components give the matching 32-bit format. Any other component type has no vertex
// format and gives DXGI_FORMAT_UNKNOWN, which the layout's creation then rejects.
DXGI_FORMAT inputElementFormat(BYTE mask, D3D_REGISTER_COMPONENT_TYPE componentType);

// One element per input parameter of the vertex program in bytecode, in signature order.
std::vector<InputElement> reflectInputElements(ID3DBlob* bytecode);

}  // namespace ostrel
