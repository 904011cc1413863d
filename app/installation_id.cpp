#include "app/installation_id.h"

namespace cumulo {

namespace {
const wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr uint32_t kAlphabetSize = 62;

// Non-negative remainder, so a negative number can never index before the alphabet.
uint32_t FloorMod(int64_t n, uint32_t m) {
  const int64_t r = n % static_cast<int64_t>(m);
  return static_cast<uint32_t>(r < 0 ? r + m : r);
}

// The Microsoft C runtime's rand(), so identifiers match the ones earlier releases made.
class CrtRand {
 public:
  explicit CrtRand(uint32_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ = state_ * 214013u + 2531011u;
    return (state_ >> 16) & 0x7FFFu;
  }

 private:
  uint32_t state_;
};
}  // namespace

std::wstring GenerateInstallationIdAt(int64_t t) {
  std::wstring id = L"WC";
  id.push_back(kAlphabet[FloorMod(t, 256) % kAlphabetSize]);
  // Division rounds towards zero as in C; only the remainder is made non-negative.
  const auto q = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(t / 256)));
  id.push_back(kAlphabet[FloorMod(q, kAlphabetSize)]);
  CrtRand rand(static_cast<uint32_t>(static_cast<uint64_t>(t)));
  for (int i = 0; i < 6; ++i) id.push_back(kAlphabet[rand.Next() % kAlphabetSize]);
  return id;
}

}  // namespace cumulo
