// Depth of field, pass 4 of 8: the second blur level horizontally, reaching 8 pixels each way.
// See DofBlur.hlsli; constants in DofCommon.hlsli.
#define DOF_AXIS float2(1.0, 0.0)
#define DOF_REACH 8.0
#define DOF_PAIRS 4.0
#define DOF_USED_ABOVE (1.0 / 3.0)
#include "DofBlur.hlsli"
