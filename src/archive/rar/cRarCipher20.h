// The RAR 2.0 block cipher: 16-byte blocks, a password-derived substitution table and
// four key words that every block feeds back into. A wrong password is not detected
// here; it yields garbage that the archive reader's CRC-32 check rejects.
#pragma once

#include <cstddef>
#include <cstdint>

class cRarCipher20 {
public:
  cRarCipher20();

  // Derives the key from a NUL-terminated password (at most max_password bytes used).
  void set_password(const char *password);
  // Decrypts the whole 16-byte blocks of data in place; a trailing partial block is left.
  void decrypt(uint8_t *data, size_t size);
  // Encrypts the whole 16-byte blocks of data in place (for writers and tests).
  void encrypt(uint8_t *data, size_t size);

  static constexpr size_t max_password = 127;

private:
  void transform_block(uint8_t *block, bool reverse) const;
  void encrypt_block(uint8_t *block);
  void decrypt_block(uint8_t *block);
  void update_keys(const uint8_t *block);
  uint32_t substitute(uint32_t t) const;

  // The format's CRC-32 table, which mixes the password and the data into the keys.
  const uint32_t *crc_table_;
  uint32_t key_[4];
  uint8_t subst_[256];
};
