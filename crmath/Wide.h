// The wide arithmetic of CrMath's accurate paths: binary floating point with
// a significand of n limbs of 64 bits, any n >= 2, truncated after every
// operation. With u = 2^(1 - 64 n): a product errs by less than u of its
// result, a quotient by a small integer by less than 1.01 u; a sum by less
// than u of its result plus 2^-64 u of its larger operand; Div by less than
// 3.5 u of its result, Sqrt by less than 3 u.
#pragma once

#include <cstdint>
#include <memory>

namespace crmath::detail::wide {

// The limbs, most significant first: a few in place, more on the heap.
class TLimbs {
 public:
  explicit TLimbs(int n);
  TLimbs(const TLimbs& o);
  TLimbs(TLimbs&& o) noexcept;
  TLimbs& operator=(const TLimbs& o);
  TLimbs& operator=(TLimbs&& o) noexcept;
  ~TLimbs();
  int Size() const { return n_; }
  uint64_t* Data() { return n_ > kInPlace ? heap_.get() : in_; }
  const uint64_t* Data() const { return n_ > kInPlace ? heap_.get() : in_; }
  uint64_t& operator[](int i) { return Data()[i]; }
  uint64_t operator[](int i) const { return Data()[i]; }

 private:
  static constexpr int kInPlace = 6;
  int n_;
  uint64_t in_[kInPlace];
  std::unique_ptr<uint64_t[]> heap_;
};

// +-M 2^(Exp - 64 n) for the n limbs M, M[0] with its top bit set, so that
// 2^(Exp - 1) <= |value| < 2^Exp; zero when M[0] is 0.
struct TMp {
  TMp() : TMp(1) {}
  explicit TMp(int n) : M(n), Exp(0), Neg(false) {}
  int Limbs() const { return M.Size(); }
  bool Zero() const { return M[0] == 0; }
  TLimbs M;
  int Exp;
  bool Neg;
};

// +-L 2^(exp - 64 count) for the integer L of count limbs (l[0] most
// significant), truncated to n limbs.
TMp Pack(const uint64_t* l, int count, int exp, bool neg, int n);
TMp FromDouble(double v, int n);  // exactly
TMp One(int n);
TMp Neg(TMp a);
TMp Scale2(TMp a, int k);  // a 2^k
// The operands of one operation have the same number of limbs, and so has
// the result.
TMp Mul(const TMp& a, const TMp& b);
TMp Add(const TMp& a, const TMp& b);
TMp Sub(const TMp& a, const TMp& b);
TMp DivSmall(const TMp& a, uint32_t d);  // a / d, d > 0
TMp Div(const TMp& a, const TMp& b);     // b nonzero
TMp Sqrt(const TMp& a);                  // a > 0
// pi 2^twoTo, within u of itself: from the table while it lasts, beyond by
// Machin's formula.
TMp Pi(int n, int twoTo = 0);
// count words of the bits of 1 / (2 pi) after the binary point from word
// first on (first word first); as a number, within 2^-(64 (first + count))
// of the same bits of 1 / (2 pi).
void InvTwoPiWords(int first, int count, uint64_t* out);

double ToDouble(const TMp& a);  // rounded to nearest, ties to even, subnormals included
// True when every number within 2^errExp of a rounds to the same double as a
// does, that double in out (a nonzero and below 2^1024).
bool RoundsAlike(const TMp& a, int errExp, double& out);

}  // namespace crmath::detail::wide
