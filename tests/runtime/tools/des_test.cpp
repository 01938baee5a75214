// The DES encoder against libcrypto's DES-ECB and the published vectors.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/des.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "runtime/tools/des.h"

namespace {

std::string hex(const unsigned char* bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (int i = 0; i < 8; ++i) {
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

void reference(const unsigned char* block, const unsigned char* key, unsigned char* out) {
  DES_cblock key_block;
  std::memcpy(key_block, key, 8);
  DES_key_schedule schedule;
  DES_set_key_unchecked(&key_block, &schedule);
  DES_cblock in;
  DES_cblock result;
  std::memcpy(in, block, 8);
  DES_ecb_encrypt(&in, &result, &schedule, DES_ENCRYPT);
  std::memcpy(out, result, 8);
}

TEST(DesTest, PublishedVectors) {
  struct Row {
    unsigned char key[8], plain[8];
    const char* cipher;
  };
  const Row rows[] = {
      {{0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1},
       {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF},
       "85e813540f0ab405"},
      // The weak all-ones key and the classic "Now is t" vector.
      {{0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01},
       {0x95, 0xF8, 0xA5, 0xE5, 0xDD, 0x31, 0xD9, 0x00},
       "8000000000000000"},
      {{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF},
       {'N', 'o', 'w', ' ', 'i', 's', ' ', 't'},
       "3fa40e8a984d4815"},
  };
  for (const Row& row : rows) {
    unsigned char out[8];
    vek::dEncrypt(row.plain, row.key, out);
    EXPECT_EQ(hex(out), row.cipher);
  }
}

TEST(DesTest, MatchesLibcryptoOnRandomBlocksAndKeys) {
  std::mt19937 gen(20261211);
  for (int n = 0; n < 2000; ++n) {
    unsigned char key[8], block[8], ours[8], theirs[8];
    for (int i = 0; i < 8; ++i) {
      key[i] = static_cast<unsigned char>(gen());
      block[i] = static_cast<unsigned char>(gen());
    }
    vek::dEncrypt(block, key, ours);
    reference(block, key, theirs);
    ASSERT_EQ(hex(ours), hex(theirs)) << "case " << n;
    // In place gives the same.
    vek::dEncrypt(block, key, block);
    ASSERT_EQ(hex(block), hex(theirs));
  }
}

TEST(DesTest, EncryptTextBlocksPaddingAndLength) {
  const unsigned char key[8] = {'q', 'u', 'i', 'b', 't', 'o', 'l', 'k'};
  char out[64];
  vek::vekEncrypt("", out);
  EXPECT_STREQ(out, "");
  vek::vekEncrypt("abc", out);
  EXPECT_STREQ(out, "dec149653fbf0ba5");
  const std::string texts[] = {"abc", "12345678", "123456789", "a text of 19 chars."};
  for (const std::string& text : texts) {
    std::string padded = text + std::string((8 - text.size() % 8) % 8, ' ');
    std::string expected;
    for (std::size_t at = 0; at < padded.size(); at += 8) {
      unsigned char block[8];
      reference(reinterpret_cast<const unsigned char*>(padded.data() + at), key, block);
      expected += hex(block);
    }
    vek::vekEncrypt(text.c_str(), out);
    EXPECT_EQ(out, expected) << text;
    EXPECT_EQ(std::strlen(out), 16 * ((text.size() + 7) / 8));
  }
}

}  // namespace
