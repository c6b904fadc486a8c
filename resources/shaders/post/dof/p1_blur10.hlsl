// Depth of field, pass 2 of 8: the first blur level horizontally; it reaches up to 4 pixels
// each way, growing with the pixel's own blur amount from nothing at the focus plane.
// See DofBlur.hlsli; constants in DofCommon.hlsli.
#define DOF_AXIS float2(1.0, 0.0)
#define DOF_REACH 4.0
#define DOF_PAIRS 2.0
#define DOF_FOLLOWS_AMOUNT
#define DOF_USED_ABOVE 0.0
#include "DofBlur.hlsli"
