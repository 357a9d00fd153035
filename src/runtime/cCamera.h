// The thirteen-float camera every scene carries; apply() loads the
// perspective projection and the look-at modelview.
#pragma once

class cCamera {
public:
  float eye[3] = {1.0f, 1.0f, 1.0f};
  float centre[3] = {0.0f, 0.0f, 0.0f};
  float up[3] = {0.0f, 0.0f, 1.0f};
  float fovy = 65.0f;
  float near_plane = 0.1f;
  float far_plane = 500.0f;
  float aspect = 1.3333334f;

  // A scene's view as its entry sets it: where the eye is, what it looks
  // at and which way is up, then the lens.
  void look(const float (&from)[3], const float (&at)[3], const float (&upward)[3]);
  void lens(float fovy_degrees, float near_distance, float far_distance,
            float width_over_height = 4.0f / 3.0f);

  void apply() const;
};
