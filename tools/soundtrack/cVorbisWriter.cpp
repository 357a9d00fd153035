// The libvorbisenc analysis loop: headers, then blocks of samples, then the
// end-of-stream flush. Nothing here depends on time or randomness.
#include "cVorbisWriter.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

struct file_closer {
  FILE *f;
  ~file_closer() {
    if (f)
      std::fclose(f);
  }
};

void put(FILE *f, const ogg_page &page) {
  if (std::fwrite(page.header, 1, page.header_len, f) != static_cast<size_t>(page.header_len) ||
      std::fwrite(page.body, 1, page.body_len, f) != static_cast<size_t>(page.body_len))
    throw std::runtime_error("write error");
}

} // namespace

void cVorbisWriter::write(const std::string &path, const std::vector<float> &l,
                          const std::vector<float> &r, int rate, float quality,
                          const std::vector<std::string> &comments) {
  const std::string tmp = path + ".part";
  file_closer out{std::fopen(tmp.c_str(), "wb")};
  if (!out.f)
    throw std::runtime_error("cannot create '" + tmp + "'");

  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, 2, rate, quality) != 0) {
    vorbis_info_clear(&vi);
    throw std::runtime_error("the vorbis encoder refuses this format");
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  for (const auto &c : comments)
    vorbis_comment_add(&vc, c.c_str());
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, kSerial);

  auto cleanup = [&] {
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
  };

  try {
    ogg_packet header, header_comm, header_code;
    vorbis_analysis_headerout(&vd, &vc, &header, &header_comm, &header_code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &header_comm);
    ogg_stream_packetin(&os, &header_code);
    ogg_page page;
    while (ogg_stream_flush(&os, &page) != 0)
      put(out.f, page);

    const size_t n = std::min(l.size(), r.size()), chunk = 4096;
    size_t done = 0;
    bool eos = false;
    while (!eos) {
      size_t count = std::min(chunk, n - done);
      if (count == 0) {
        vorbis_analysis_wrote(&vd, 0);
      } else {
        float **buf = vorbis_analysis_buffer(&vd, static_cast<int>(count));
        for (size_t i = 0; i < count; ++i) {
          buf[0][i] = l[done + i];
          buf[1][i] = r[done + i];
        }
        vorbis_analysis_wrote(&vd, static_cast<int>(count));
        done += count;
      }
      while (vorbis_analysis_blockout(&vd, &vb) == 1) {
        vorbis_analysis(&vb, nullptr);
        vorbis_bitrate_addblock(&vb);
        ogg_packet op;
        while (vorbis_bitrate_flushpacket(&vd, &op)) {
          ogg_stream_packetin(&os, &op);
          while (!eos && ogg_stream_pageout(&os, &page) != 0) {
            put(out.f, page);
            if (ogg_page_eos(&page))
              eos = true;
          }
        }
      }
      if (count == 0 && !eos) {
        // The encoder has seen the end; flush whatever page is left.
        while (ogg_stream_flush(&os, &page) != 0)
          put(out.f, page);
        eos = true;
      }
    }
  } catch (...) {
    cleanup();
    throw;
  }
  cleanup();
  if (std::fclose(out.f) != 0) {
    out.f = nullptr;
    throw std::runtime_error("write error on '" + tmp + "'");
  }
  out.f = nullptr;
  if (std::rename(tmp.c_str(), path.c_str()) != 0)
    throw std::runtime_error("cannot rename '" + tmp + "' to '" + path + "'");
}
