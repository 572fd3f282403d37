// The wide arithmetic of CrMath's accurate paths: binary floating point with
// a 192-bit significand, truncated after every operation (each errs by less
// than 2^-190 of its result, or of the larger operand in a cancelling sum).
#pragma once

#include <cstdint>

namespace crmath::detail::wide {

// +-M * 2^(Exp - 192), M[0] most significant with its top bit set; zero when
// M[0] is 0.
struct TMp {
  uint64_t M[3] = {0, 0, 0};
  int Exp = 0;
  bool Neg = false;
  bool Zero() const { return M[0] == 0; }
};

// +-L * 2^(exp - 64 n) for the n-limb integer L (l[0] most significant),
// truncated to 192 bits.
TMp Pack(const uint64_t* l, int n, int exp, bool neg);
TMp FromDouble(double v);  // exactly
TMp Neg(TMp a);
TMp Scale2(TMp a, int k);  // a * 2^k
TMp Mul(const TMp& a, const TMp& b);
TMp Add(const TMp& a, const TMp& b);
inline TMp Sub(const TMp& a, const TMp& b) { return Add(a, Neg(b)); }
TMp DivSmall(const TMp& a, uint32_t d);  // a / d
TMp ApproxDiv(const TMp& a, const TMp& b);  // a / b to within 2^-50 of itself, b nonzero
double ToDouble(const TMp& a);  // rounded to the nearest double, ties to even, subnormals included
TMp One();
TMp Pi(int twoTo = 0);  // pi * 2^twoTo

}  // namespace crmath::detail::wide
