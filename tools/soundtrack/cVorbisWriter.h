// Encodes planar stereo float samples into an Ogg Vorbis file with a fixed
// stream serial number, so equal input gives equal bytes. Writes to a
// temporary name and renames at the end: a failed run never leaves a file
// that looks finished. Failures throw std::runtime_error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class cVorbisWriter {
public:
  static void write(const std::string &path, const std::vector<float> &l,
                    const std::vector<float> &r, int rate, float quality,
                    const std::vector<std::string> &comments);
  static constexpr int kSerial = 0x0de0501d;
};
