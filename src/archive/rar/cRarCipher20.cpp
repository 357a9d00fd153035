// RAR 2.0 block cipher (see cRarCipher20.h). Works only on whole blocks in caller
// memory; it cannot fail.
#include "archive/rar/cRarCipher20.h"

#include "archive/rar/rar_crc.h"

#include <cstring>
#include <utility>

namespace {

// Starting substitution table of the format; the password permutes it.
const uint8_t initial_subst[256] = {
    215, 19,  149, 35,  73,  197, 192, 205, 249, 28,  16,  119, 48,  221, 2,   42,  232, 1,   177,
    233, 14,  88,  219, 25,  223, 195, 244, 90,  87,  239, 153, 137, 255, 199, 147, 70,  92,  66,
    246, 13,  216, 40,  62,  29,  217, 230, 86,  6,   71,  24,  171, 196, 101, 113, 218, 123, 93,
    91,  163, 178, 202, 67,  44,  235, 107, 250, 75,  234, 49,  167, 125, 211, 83,  114, 157, 144,
    32,  193, 143, 36,  158, 124, 247, 187, 89,  214, 141, 47,  121, 228, 61,  130, 213, 194, 174,
    251, 97,  110, 54,  229, 115, 57,  152, 94,  105, 243, 212, 55,  209, 245, 63,  11,  164, 200,
    31,  156, 81,  176, 227, 21,  76,  99,  139, 188, 127, 17,  248, 51,  207, 120, 189, 210, 8,
    226, 41,  72,  183, 203, 135, 165, 166, 60,  98,  7,   122, 38,  155, 170, 69,  172, 252, 238,
    39,  134, 59,  128, 236, 27,  240, 80,  131, 3,   85,  206, 145, 79,  154, 142, 159, 220, 201,
    133, 74,  64,  20,  129, 224, 185, 138, 103, 173, 182, 43,  34,  254, 82,  198, 151, 231, 180,
    58,  10,  118, 26,  102, 12,  50,  132, 22,  191, 136, 111, 162, 179, 45,  4,   148, 108, 161,
    56,  78,  126, 242, 222, 15,  175, 146, 23,  33,  241, 181, 190, 77,  225, 0,   46,  169, 186,
    68,  95,  237, 65,  53,  208, 253, 168, 9,   18,  100, 52,  116, 184, 160, 96,  109, 37,  30,
    106, 140, 104, 150, 5,   204, 117, 112, 84,
};

const uint32_t initial_key[4] = {0xD3A3B879u, 0x3F6D12F7u, 0x7515A235u, 0xA4E7F123u};
constexpr int rounds = 32;

uint32_t load32(const uint8_t *p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void store32(uint8_t *p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

uint32_t rotl(uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }

} // namespace

cRarCipher20::cRarCipher20() : crc_table_(rar_crc::table()) { set_password(""); }

void cRarCipher20::set_password(const char *password) {
  std::memcpy(key_, initial_key, sizeof(key_));
  std::memcpy(subst_, initial_subst, sizeof(subst_));

  // Zero padding up to a whole block behind the password; it is encrypted below.
  uint8_t psw[max_password + 1 + 16] = {};
  size_t length = 0;
  if (password) {
    while (length < max_password && password[length])
      ++length;
    std::memcpy(psw, password, length);
  }

  for (uint32_t j = 0; j < 256; ++j) {
    for (size_t i = 0; i < length; i += 2) {
      uint8_t n2 = uint8_t(crc_table_[(psw[i + 1] + j) & 0xFF]);
      uint8_t n1 = uint8_t(crc_table_[(psw[i] - j) & 0xFF]);
      for (uint32_t k = 1; n1 != n2; n1 = uint8_t(n1 + 1), ++k)
        std::swap(subst_[n1], subst_[(n1 + i + k) & 0xFF]);
    }
  }
  for (size_t i = 0; i < length; i += 16)
    encrypt_block(psw + i);
  std::memset(psw, 0, sizeof(psw));
}

uint32_t cRarCipher20::substitute(uint32_t t) const {
  return uint32_t(subst_[t & 0xFF]) | uint32_t(subst_[(t >> 8) & 0xFF]) << 8 |
         uint32_t(subst_[(t >> 16) & 0xFF]) << 16 | uint32_t(subst_[t >> 24]) << 24;
}

void cRarCipher20::update_keys(const uint8_t *block) {
  for (int i = 0; i < 16; i += 4) {
    key_[0] ^= crc_table_[block[i]];
    key_[1] ^= crc_table_[block[i + 1]];
    key_[2] ^= crc_table_[block[i + 2]];
    key_[3] ^= crc_table_[block[i + 3]];
  }
}

// Decryption runs the same rounds with the round keys in reverse order.
void cRarCipher20::transform_block(uint8_t *block, bool reverse) const {
  uint32_t a = load32(block) ^ key_[0];
  uint32_t b = load32(block + 4) ^ key_[1];
  uint32_t c = load32(block + 8) ^ key_[2];
  uint32_t d = load32(block + 12) ^ key_[3];
  for (int i = 0; i < rounds; ++i) {
    const uint32_t key = key_[(reverse ? rounds - 1 - i : i) & 3];
    uint32_t ta = a ^ substitute((c + rotl(d, 11)) ^ key);
    uint32_t tb = b ^ substitute((d ^ rotl(c, 17)) + key);
    a = c;
    b = d;
    c = ta;
    d = tb;
  }
  store32(block, c ^ key_[0]);
  store32(block + 4, d ^ key_[1]);
  store32(block + 8, a ^ key_[2]);
  store32(block + 12, b ^ key_[3]);
}

void cRarCipher20::encrypt_block(uint8_t *block) {
  transform_block(block, false);
  // The keys follow the ciphertext in both directions.
  update_keys(block);
}

void cRarCipher20::decrypt_block(uint8_t *block) {
  uint8_t cipher_text[16];
  std::memcpy(cipher_text, block, 16);
  transform_block(block, true);
  update_keys(cipher_text);
}

void cRarCipher20::encrypt(uint8_t *data, size_t size) {
  for (size_t i = 0; i + 16 <= size; i += 16)
    encrypt_block(data + i);
}

void cRarCipher20::decrypt(uint8_t *data, size_t size) {
  for (size_t i = 0; i + 16 <= size; i += 16)
    decrypt_block(data + i);
}
