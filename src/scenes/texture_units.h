// Puts texture units back to plain drawing: 1D and 2D texturing off and
// texture 0 bound on each, unit 0 active at the end. Nothing fails.
#pragma once

// Units 0 to count - 1 (the scenes use up to three).
void reset_texture_units(int count = 3);
