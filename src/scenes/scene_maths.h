// Small vector and matrix arithmetic of the scenes. Pure; nothing fails.
#pragma once

// out[4i + j] = sum over k of a[4i + k] * b[4k + j]. out may be a or b.
void mat4_product(const float a[16], const float b[16], float out[16]);
// Writes the 16 floats of the identity.
void mat4_identity(float out[16]);
// Scales v to unit length into out. A vector too short to give a finite
// direction (zero, or with components that are not finite) leaves out as it
// was and returns false.
bool normalise_axis(const float v[3], float out[3]);
