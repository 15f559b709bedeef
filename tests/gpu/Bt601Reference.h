// What the effect should produce, computed on the CPU: each pixel samples the three planes
// at its own centre with bilinear filtering and clamped addressing (so subsampled chroma
// is interpolated over the frame), then BT.601 limited range to RGB.
#pragma once

#include "SoftwareScene.h"

// Opaque A8R8G8B8 pixels of a width by height frame.
Pixels bt601Reference(const Plane &y, const Plane &cb, const Plane &cr, int width, int height);

// The largest difference, in levels, of any colour channel of any pixel; alpha included.
int largestChannelDifference(const Pixels &a, const Pixels &b);
