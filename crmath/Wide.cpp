#include "crmath/Wide.h"

#include "crmath/Arith.h"
#include "crmath/Detail.h"

namespace crmath::detail::wide {

// +-L * 2^(exp - 64 n) for the n-limb integer L (l[0] most significant),
// truncated to 192 bits.
TMp Pack(const uint64_t* l, int n, int exp, bool neg) {
  int k = 0;
  while (k < n && l[k] == 0) ++k;
  TMp r;
  if (k == n) return r;
  const int sh = __builtin_clzll(l[k]);
  for (int i = 0; i < 3; ++i) {
    const uint64_t a = k + i < n ? l[k + i] : 0, b = k + i + 1 < n ? l[k + i + 1] : 0;
    r.M[i] = sh ? (a << sh) | (b >> (64 - sh)) : a;
  }
  r.Exp = exp - 64 * k - sh;
  r.Neg = neg;
  return r;
}

TMp FromDouble(double v) {
  const uint64_t b = Bits(v);
  uint64_t e = (b >> 52) & 0x7ff, m = b & ((uint64_t(1) << 52) - 1);
  if (e)
    m |= uint64_t(1) << 52;
  else
    e = 1;
  return Pack(&m, 1, static_cast<int>(e) - 1075 + 64, b >> 63);
}

TMp Neg(TMp a) {
  a.Neg = !a.Neg;
  return a;
}
TMp Scale2(TMp a, int k) {
  a.Exp += k;
  return a;
}

TMp Mul(const TMp& a, const TMp& b) {
  if (a.Zero() || b.Zero()) return {};
  uint64_t q[6] = {0, 0, 0, 0, 0, 0};  // least significant first
  for (int i = 0; i < 3; ++i) {
    uint64_t carry = 0;
    for (int j = 0; j < 3; ++j) {
      const u128 t = static_cast<u128>(a.M[2 - i]) * b.M[2 - j] + q[i + j] + carry;
      q[i + j] = static_cast<uint64_t>(t);
      carry = static_cast<uint64_t>(t >> 64);
    }
    q[i + 3] = carry;
  }
  const uint64_t p[6] = {q[5], q[4], q[3], q[2], q[1], q[0]};
  return Pack(p, 6, a.Exp + b.Exp, a.Neg != b.Neg);
}

TMp Add(const TMp& a, const TMp& b) {
  if (a.Zero()) return b;
  if (b.Zero()) return a;
  bool aBig = a.Exp > b.Exp;
  if (a.Exp == b.Exp) {
    int i = 0;
    while (i < 2 && a.M[i] == b.M[i]) ++i;
    aBig = a.M[i] >= b.M[i];
  }
  const TMp& x = aBig ? a : b;
  const TMp& y = aBig ? b : a;
  const int d = x.Exp - y.Exp;
  if (d >= 256) return x;
  // Five limbs: a free one for the carry, three, and a guard limb.
  uint64_t xl[5] = {0, x.M[0], x.M[1], x.M[2], 0}, yl[5] = {0, 0, 0, 0, 0};
  const int dl = d >> 6, db = d & 63;
  for (int i = 1; i + dl < 5; ++i) {
    const uint64_t hi = i < 4 ? y.M[i - 1] : 0, lo = i > 1 && i < 5 ? y.M[i - 2] : 0;
    yl[i + dl] = db ? (hi >> db) | (lo << (64 - db)) : hi;
  }
  uint64_t r[5];
  if (x.Neg == y.Neg) {
    u128 carry = 0;
    for (int i = 4; i >= 0; --i) {
      const u128 t = static_cast<u128>(xl[i]) + yl[i] + carry;
      r[i] = static_cast<uint64_t>(t);
      carry = t >> 64;
    }
  } else {  // |x| >= |y|
    uint64_t borrow = 0;
    for (int i = 4; i >= 0; --i) {
      const u128 t = static_cast<u128>(xl[i]) - yl[i] - borrow;
      r[i] = static_cast<uint64_t>(t);
      borrow = static_cast<uint64_t>(t >> 64) & 1;
    }
  }
  return Pack(r, 5, x.Exp + 64, x.Neg);
}

// a / d for 0 < d < 2^32.
TMp DivSmall(const TMp& a, uint32_t d) {
  if (a.Zero()) return a;
  const uint64_t l[4] = {a.M[0], a.M[1], a.M[2], 0};
  uint64_t q[4], rem = 0;
  for (int i = 0; i < 4; ++i) {
    uint64_t cur = (rem << 32) | (l[i] >> 32);
    const uint64_t hi = cur / d;
    rem = cur % d;
    cur = (rem << 32) | (l[i] & 0xffffffffu);
    q[i] = (hi << 32) | (cur / d);
    rem = cur % d;
  }
  return Pack(q, 4, a.Exp, a.Neg);
}

// a / b to within 2^-50 of itself, b nonzero.
TMp ApproxDiv(const TMp& a, const TMp& b) {
  if (a.Zero()) return a;
  const double q = static_cast<double>(static_cast<int64_t>(a.M[0] >> 11)) /
                   static_cast<double>(static_cast<int64_t>(b.M[0] >> 11));
  TMp r = FromDouble(q);
  r.Exp += a.Exp - b.Exp;
  r.Neg = a.Neg != b.Neg;
  return r;
}

// Rounded to the nearest double, ties to even, subnormals included.
double ToDouble(const TMp& a) {
  if (a.Zero()) return a.Neg ? -0.0 : 0.0;
  const int e = a.Exp - 1;  // a lies in [2^e, 2^(e+1))
  const int keep = e >= -1022 ? 53 : 1075 + e;  // significant bits kept
  double r = 0;
  if (keep >= 0) {
    const uint64_t top = a.M[0];
    const uint64_t mant = keep ? top >> (64 - keep) : 0;
    const bool half = (top >> (63 - keep)) & 1;
    const bool sticky = (keep < 63 && (top << (keep + 1)) != 0) || a.M[1] || a.M[2];
    const uint64_t m = mant + (half && (sticky || (mant & 1)));
    r = static_cast<double>(m) * Pow2(e - keep + 1);
  }
  return a.Neg ? -r : r;
}

TMp One() {
  const uint64_t one = 1;
  return Pack(&one, 1, 64, false);
}
// pi, with its exponent moved for pi / 2 and 2 pi.
TMp Pi(int twoTo) {
  TMp r;
  for (int i = 0; i < 3; ++i) r.M[i] = kPi[i];
  r.Exp = 2 + twoTo;
  return r;
}

}  // namespace crmath::detail::wide
