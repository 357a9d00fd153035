// Integrated loudness of a stereo signal after the broadcast loudness
// recommendation (K-weighting, 400 ms blocks, absolute and relative gates).
// A signal that never passes the absolute gate reports -70 LUFS.
#pragma once

#include <vector>

class cLoudness {
public:
  // Planar channels of equal length at 44.1 kHz.
  static double integrated(const std::vector<float> &l, const std::vector<float> &r);
  // Largest absolute sample of both channels.
  static float sample_peak(const std::vector<float> &l, const std::vector<float> &r);
};
