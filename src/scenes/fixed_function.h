// Fixed-function material and light setters. Materials go to front and back
// faces alike. Nothing fails; the GL reports bad arguments itself.
#pragma once

#include <GL/gl.h>

// Ambient and diffuse from one colour, then specular, emission, shininess.
void set_material(const float ambient_diffuse[4], const float specular[4], const float emission[4],
                  float shininess);
// Ambient and diffuse given apart.
void set_material_split(const float ambient[4], const float diffuse[4], const float specular[4],
                        const float emission[4], float shininess);
// Every colour (0, 0, 0, 0) and shininess 0.
void set_black_material();
// The three colours of a light; its position and switch are left alone.
void set_light_colours(GLenum light, const float ambient[4], const float diffuse[4],
                       const float specular[4]);
void set_light_position(GLenum light, float x, float y, float z, float w);
