// Integrated loudness of a stereo signal after the broadcast loudness
// recommendation, measured by libebur128, and the sample peak. A signal that
// never passes the absolute gate reports -70 LUFS; a meter that cannot be
// created throws std::bad_alloc.
#pragma once

#include <vector>

class cLoudness {
public:
  // Planar channels of equal length at 44.1 kHz.
  static double integrated(const std::vector<float> &l, const std::vector<float> &r);
  // Largest absolute sample of both channels.
  static float sample_peak(const std::vector<float> &l, const std::vector<float> &r);
};
