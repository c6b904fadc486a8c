// Depth of field, pass 7 of 8: the third blur level vertically, reaching 16 pixels each way.
// See DofBlur.hlsli; constants in DofCommon.hlsli.
#define DOF_AXIS float2(0.0, 1.0)
#define DOF_REACH 16.0
#define DOF_PAIRS 8.0
#define DOF_USED_ABOVE (2.0 / 3.0)
#include "DofBlur.hlsli"
