// Command-line front end of the RAR 2.0 packer: pack, list and extract. Failures print
// one line on the standard error stream and end with a non-zero exit status.
#include "cRarArchiveWriter.h"

#include "archive/rar/unrarlib.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int usage() {
  std::fprintf(stderr, "usage: rar20 pack [--solid] [--multimedia] [--verbose] ARCHIVE [FILE...]\n"
                       "       rar20 list ARCHIVE\n"
                       "       rar20 x ARCHIVE MEMBER OUTFILE\n");
  return 2;
}

bool read_file(const char *path, std::vector<uint8_t> &out) {
  FILE *f = std::fopen(path, "rb");
  if (!f)
    return false;
  out.clear();
  uint8_t buf[1 << 16];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0)
    out.insert(out.end(), buf, buf + n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool write_file(const char *path, const uint8_t *data, size_t size) {
  FILE *f = std::fopen(path, "wb");
  if (!f)
    return false;
  // An empty member has no data pointer, and fwrite must not be given null.
  const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return (std::fclose(f) == 0) && ok;
}

std::string base_name(const std::string &path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The earlier input whose member name the reader cannot tell from that of inputs[at]
// (it would only ever find the first of the two), as its index, or -1.
int same_member_as_earlier(char **inputs, int at) {
  const std::string name = base_name(inputs[at]);
  for (int k = 0; k < at; ++k)
    if (rar_names_match(base_name(inputs[k]).c_str(), name.c_str()))
      return k;
  return -1;
}

int pack(int argc, char **argv) {
  bool solid = false;
  bool verbose = false;
  sEncoderOptions options;
  int i = 0;
  for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; ++i) {
    if (!std::strcmp(argv[i], "--solid"))
      solid = true;
    else if (!std::strcmp(argv[i], "--multimedia"))
      options.multimedia = true;
    else if (!std::strcmp(argv[i], "--verbose"))
      verbose = true;
    else
      return usage();
  }
  if (argc - i < 1)
    return usage();
  const char *archive = argv[i++];
  for (int k = i; k < argc; ++k) {
    const int earlier = same_member_as_earlier(argv + i, k - i);
    if (earlier >= 0) {
      std::fprintf(stderr, "rar20: \"%s\" and \"%s\" would both be member \"%s\"\n",
                   argv[i + earlier], argv[k], base_name(argv[k]).c_str());
      return 1;
    }
  }
  cRarArchiveWriter writer(solid, options);
  std::vector<uint8_t> data;
  for (; i < argc; ++i) {
    struct stat st;
    if (stat(argv[i], &st) != 0 || !S_ISREG(st.st_mode) || !read_file(argv[i], data)) {
      std::fprintf(stderr, "rar20: cannot read \"%s\"\n", argv[i]);
      return 1;
    }
    if (data.size() > 0xFFFFFFFFu) {
      std::fprintf(stderr, "rar20: \"%s\" is larger than 4 GiB\n", argv[i]);
      return 1;
    }
    sArchiveMember m;
    m.name = base_name(argv[i]);
    m.data = data.data();
    m.size = data.size();
    m.dos_time = cRarArchiveWriter::dos_time(int64_t(st.st_mtime));
    writer.add(m);
  }
  const std::vector<uint8_t> &bytes = writer.finish();
  if (!write_file(archive, bytes.data(), bytes.size())) {
    std::fprintf(stderr, "rar20: cannot write \"%s\"\n", archive);
    return 1;
  }
  for (const sMemberReport &m : writer.members())
    std::printf("%-40s %10u -> %10u%s\n", m.name.c_str(), m.unpacked, m.packed,
                m.stored ? " (stored)" : "");
  if (verbose) {
    const sEncoderStats &s = writer.stats();
    std::printf("literals %llu, repeat-last %llu, ring %llu/%llu/%llu/%llu, short %llu, long %llu\n"
                "LZ tables %llu, multimedia tables %llu/%llu/%llu/%llu (1-4 channels), "
                "multimedia bytes %llu, switches %llu, kept tables %llu, cleared tables %llu, "
                "farthest match %u\n",
                (unsigned long long)s.literals, (unsigned long long)s.repeat_last,
                (unsigned long long)s.ring[0], (unsigned long long)s.ring[1],
                (unsigned long long)s.ring[2], (unsigned long long)s.ring[3],
                (unsigned long long)s.short_matches, (unsigned long long)s.long_matches,
                (unsigned long long)s.lz_tables, (unsigned long long)s.audio_tables[1],
                (unsigned long long)s.audio_tables[2], (unsigned long long)s.audio_tables[3],
                (unsigned long long)s.audio_tables[4], (unsigned long long)s.audio_bytes,
                (unsigned long long)s.switches, (unsigned long long)s.kept_tables,
                (unsigned long long)s.cleared_tables, s.max_distance);
  }
  return 0;
}

// One line per member: unpacked and packed size, method, CRC-32, flags, name.
int list(int argc, char **argv) {
  if (argc != 1)
    return usage();
  rar_archive_info info;
  const rar_status status = rar_list_file(argv[0], info);
  if (status != rar_status::ok) {
    std::fprintf(stderr, "rar20: \"%s\": %s\n", argv[0], rar_status_text(status));
    return 1;
  }
  std::printf("%s archive, %zu member(s)\n", info.solid() ? "solid" : "non-solid",
              info.members.size());
  std::printf("%10s %10s %-6s %-8s %-5s %s\n", "unpacked", "packed", "method", "crc32", "flags",
              "name");
  for (const rar_member_info &m : info.members) {
    std::printf("%10u %10u %-6s %08x %-5s %s%s\n", m.unp_size, m.pack_size,
                m.stored() ? "store" : "packed", m.file_crc, m.continues_solid() ? "solid" : "-",
                m.name.c_str(), m.header_crc_ok ? "" : "  (header CRC mismatch)");
  }
  return 0;
}

int extract(int argc, char **argv) {
  if (argc != 3)
    return usage();
  std::vector<uint8_t> bytes;
  const rar_status status = rar_extract_file(argv[0], argv[1], nullptr, bytes);
  if (status != rar_status::ok) {
    std::fprintf(stderr, "rar20: \"%s\" in \"%s\": %s\n", argv[1], argv[0],
                 rar_status_text(status));
    return 1;
  }
  if (!write_file(argv[2], bytes.data(), bytes.size())) {
    std::fprintf(stderr, "rar20: cannot write \"%s\"\n", argv[2]);
    return 1;
  }
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2)
    return usage();
  const std::string cmd = argv[1];
  if (cmd == "pack")
    return pack(argc - 2, argv + 2);
  if (cmd == "list")
    return list(argc - 2, argv + 2);
  if (cmd == "x")
    return extract(argc - 2, argv + 2);
  return usage();
}
