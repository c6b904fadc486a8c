// The depth of field's constants and how a blur amount follows from the depth buffer.
//
// DofConstants (b1), moved by the timeline's "DOF" blocks; the production's resting values
// in brackets. At rest the focus lies 64 near-plane distances away, what lies much farther
// or nearer softens gently (a blur reaching about 5 pixels at 1080 lines), and nothing
// blurs by more than 80 % of the widest blur.
//
// Depth: the depth buffer holds the 24-bit non-linear depth of the scene's perspective
// projection, d = f / (f - n) * (1 - n / z), read as R24_UNORM (0 at the near plane, 1 at
// the far plane). For far planes well beyond the near plane, n / z = 1 - d, so the
// distance in near-plane distances is 1 / (1 - d), and 1 - d itself is proportional to the
// inverse distance that a lens's circle of confusion depends on. Neither plane need be
// known.
#include "../../PostProcessing.hlsl"

cbuffer DofConstants : register(b1)
{
    float aperture;  // (0.01): how quickly blur grows away from the focus; the blur amount
                     //   at infinity is 40 x aperture, so 0.025 and more blur the far
                     //   distance fully
    float focus;     // (0.5): the distance in focus on a logarithmic scale, from the near
                     //   plane (0) to 4096 near-plane distances (1): distance = near x
                     //   2^(12 x focus); 0.5 is 64 near-plane distances (6.4 m for a
                     //   10 cm near plane)
    float limit;     // (0.8): the largest blur amount, 0..1 of the widest blur
};

// Pixels per unit of blur reach: the blur keeps its size on screen up to 1080 lines, where
// the widest level reaches 16 pixels each way; above, it keeps its size in pixels so that
// its fetches stay close enough.
float dofScale()
{
    return clamp(outputSize.y / 1080.0, 0.5, 1.0);
}

float distanceInNearPlanes(float storedDepth)
{
    return 1.0 / max(1.0 - storedDepth, 1.0 / 16777216.0);
}

// 0 in the focus plane to 1 for the widest blur. A thin lens's circle of confusion grows
// with |1 - focus distance / distance|: 0 at the focus, 1 at infinity, and without bound
// toward the camera.
float blurAmount(float storedDepth)
{
    float focusDistance = exp2(12.0 * focus);
    float confusion = abs(1.0 - focusDistance / distanceInNearPlanes(storedDepth));
    return min(saturate(confusion * aperture * 40.0), limit);
}
