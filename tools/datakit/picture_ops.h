// Picture operations for recipes: colour ramps and scales, gradients, noise,
// rendered sphere maps, blur and compositing. Nothing fails; empty pictures
// and empty ramps give transparent black.
#pragma once

#include "cImage.h"
#include "cNoise.h"
#include "vec2.h"
#include "vec3.h"

#include <functional>
#include <vector>

struct sColourStop {
  float at; // position along the ramp, in increasing order
  rgba colour;
};

namespace pictures {

// Colour at t, linear between the stops and held beyond the ends.
rgba ramp(const std::vector<sColourStop> &stops, float t);

// width x 1: the ramp across [0, 1], sampled at pixel centres.
cImage colour_scale(int width, const std::vector<sColourStop> &stops);

// Every pixel from the ramp, at its projection onto the line from -> to
// (pixel coordinates, 0 at from, 1 at to).
void fill_linear_gradient(cImage &image, const vec2 &from, const vec2 &to,
                          const std::vector<sColourStop> &stops);
// Every pixel from the ramp at its distance from centre divided by radius.
void fill_radial_gradient(cImage &image, const vec2 &centre, float radius,
                          const std::vector<sColourStop> &stops);
// Every pixel from the ramp at fractal noise (mapped from [-1, 1] to [0, 1])
// at the pixel centre divided by feature_size.
void fill_noise(cImage &image, const cNoise &noise, float feature_size, int octaves,
                const std::vector<sColourStop> &stops);

// The picture of a mirror ball seen along -z (the GL sphere-map layout):
// each pixel shows environment(direction) for the direction reflected there.
// Pixels outside the ball repeat its rim. Four samples per pixel.
cImage sphere_map(int size, const std::function<rgba(const vec3 &)> &environment);

// Gaussian blur with about radius as its standard deviation (box passes).
cImage blurred(const cImage &image, float radius);
// Colour channels set to colour, alpha multiplied by its alpha.
void tint(cImage &image, const rgba &colour);
// src over dst with src's top-left corner at (x, y).
void composite(cImage &dst, const cImage &src, int x, int y);

} // namespace pictures
