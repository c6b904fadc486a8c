// Depth of field, pass 5 of 8: the second blur level vertically, reaching 8 pixels each way.
// See DofBlur.hlsli; constants in DofCommon.hlsli.
#define DOF_AXIS float2(0.0, 1.0)
#define DOF_REACH 8.0
#define DOF_PAIRS 4.0
#define DOF_USED_ABOVE (1.0 / 3.0)
#include "DofBlur.hlsli"
