#include "crmath/Wide.h"

#include <algorithm>
#include <cstddef>

#include "crmath/Arith.h"
#include "crmath/Detail.h"

namespace crmath::detail::wide {

TLimbs::TLimbs(int n) : n_(n), in_{}, heap_(n > kInPlace ? new uint64_t[static_cast<size_t>(n)]() : nullptr) {}
TLimbs::TLimbs(const TLimbs& o) : TLimbs(o.n_) { std::copy_n(o.Data(), n_, Data()); }
TLimbs::TLimbs(TLimbs&& o) noexcept : n_(o.n_), heap_(std::move(o.heap_)) { std::copy_n(o.in_, kInPlace, in_); }
TLimbs& TLimbs::operator=(const TLimbs& o) {
  if (this != &o) *this = TLimbs(o);
  return *this;
}
TLimbs& TLimbs::operator=(TLimbs&& o) noexcept {
  n_ = o.n_;
  heap_ = std::move(o.heap_);
  std::copy_n(o.in_, kInPlace, in_);
  return *this;
}
TLimbs::~TLimbs() = default;

TMp Pack(const uint64_t* l, int count, int exp, bool neg, int n) {
  TMp r(n);
  int k = 0;
  while (k < count && l[k] == 0) ++k;
  if (k == count) return r;
  const int sh = __builtin_clzll(l[k]);
  for (int i = 0; i < n; ++i) {
    const uint64_t a = k + i < count ? l[k + i] : 0, b = k + i + 1 < count ? l[k + i + 1] : 0;
    r.M[i] = sh ? (a << sh) | (b >> (64 - sh)) : a;
  }
  r.Exp = exp - 64 * k - sh;
  r.Neg = neg;
  return r;
}

TMp FromDouble(double v, int n) {
  const uint64_t b = Bits(v);
  uint64_t e = (b >> 52) & 0x7ff, m = b & ((uint64_t(1) << 52) - 1);
  if (e)
    m |= uint64_t(1) << 52;
  else
    e = 1;
  return Pack(&m, 1, static_cast<int>(e) - 1075 + 64, b >> 63, n);
}

TMp One(int n) {
  const uint64_t one = 1;
  return Pack(&one, 1, 64, false, n);
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
  const int n = a.Limbs();
  if (a.Zero() || b.Zero()) return TMp(n);
  TLimbs p(2 * n);  // the whole product, most significant first
  for (int i = n - 1; i >= 0; --i) {
    uint64_t carry = 0;
    for (int j = n - 1; j >= 0; --j) {
      const u128 t = static_cast<u128>(a.M[i]) * b.M[j] + p[i + j + 1] + carry;
      p[i + j + 1] = static_cast<uint64_t>(t);
      carry = static_cast<uint64_t>(t >> 64);
    }
    p[i] = carry;
  }
  return Pack(p.Data(), 2 * n, a.Exp + b.Exp, a.Neg != b.Neg, n);
}

TMp Add(const TMp& a, const TMp& b) {
  if (a.Zero()) return b;
  if (b.Zero()) return a;
  const int n = a.Limbs();
  bool aBig = a.Exp > b.Exp;
  if (a.Exp == b.Exp) {
    int i = 0;
    while (i < n - 1 && a.M[i] == b.M[i]) ++i;
    aBig = a.M[i] >= b.M[i];
  }
  const TMp& x = aBig ? a : b;
  const TMp& y = aBig ? b : a;
  const int d = x.Exp - y.Exp;
  if (d >= 64 * (n + 1)) return x;
  // n + 2 limbs: a free one for the carry, n, and a guard limb.
  TLimbs xl(n + 2), yl(n + 2), r(n + 2);
  for (int i = 0; i < n; ++i) xl[i + 1] = x.M[i];
  const int dl = d >> 6, db = d & 63;
  for (int i = 1; i + dl < n + 2; ++i) {
    const uint64_t hi = i - 1 < n ? y.M[i - 1] : 0, lo = i >= 2 && i - 2 < n ? y.M[i - 2] : 0;
    yl[i + dl] = db ? (hi >> db) | (lo << (64 - db)) : hi;
  }
  if (x.Neg == y.Neg) {
    u128 carry = 0;
    for (int i = n + 1; i >= 0; --i) {
      const u128 t = static_cast<u128>(xl[i]) + yl[i] + carry;
      r[i] = static_cast<uint64_t>(t);
      carry = t >> 64;
    }
  } else {  // |x| >= |y|
    uint64_t borrow = 0;
    for (int i = n + 1; i >= 0; --i) {
      const u128 t = static_cast<u128>(xl[i]) - yl[i] - borrow;
      r[i] = static_cast<uint64_t>(t);
      borrow = static_cast<uint64_t>(t >> 64) & 1;
    }
  }
  return Pack(r.Data(), n + 2, x.Exp + 64, x.Neg, n);
}

TMp Sub(const TMp& a, const TMp& b) { return Add(a, Neg(b)); }

TMp DivSmall(const TMp& a, uint32_t d) {
  const int n = a.Limbs();
  if (a.Zero()) return a;
  TLimbs q(n + 1);
  uint64_t rem = 0;
  for (int i = 0; i < n + 1; ++i) {
    const uint64_t l = i < n ? a.M[i] : 0;
    uint64_t cur = (rem << 32) | (l >> 32);
    const uint64_t hi = cur / d;
    rem = cur % d;
    cur = (rem << 32) | (l & 0xffffffffu);
    q[i] = (hi << 32) | (cur / d);
    rem = cur % d;
  }
  return Pack(q.Data(), n + 1, a.Exp, a.Neg, n);
}

namespace {

// 1 / b by Newton's iteration r += r (1 - b r) from the quotient of b's top
// 53 bits, within 2^-51.4: with e = 1 - b r, each step leaves at most
// e^2 + 2.1 u, so that the last leaves less than 2.2 u.
TMp Recip(const TMp& b) {
  const int n = b.Limbs();
  const double top = static_cast<double>(b.M[0] >> 11);  // b = top 2^(Exp - 53) (1 + below 2^-52)
  TMp r = Scale2(FromDouble(1 / top, n), 53 - b.Exp);
  r.Neg = b.Neg;
  const TMp one = One(n);
  for (int bits = 51; bits < 64 * n + 4; bits *= 2) r = Add(r, Mul(r, Sub(one, Mul(b, r))));
  return r;
}

// atan(1 / k) = sum (-1)^j / ((2 j + 1) k^(2 j + 1)), until a term falls
// below 2^-(64 n + 8) of the sum.
TMp AtanInv(uint32_t k, int n) {
  TMp p = DivSmall(One(n), k), s = p;
  for (uint32_t j = 1;; ++j) {
    p = DivSmall(p, k * k);
    const TMp t = DivSmall(p, 2 * j + 1);
    if (t.Zero() || t.Exp < s.Exp - 64 * n - 8) return s;
    s = j & 1 ? Sub(s, t) : Add(s, t);
  }
}

}  // namespace

// a / b = a (1 / b): within 2.2 u + u of itself.
TMp Div(const TMp& a, const TMp& b) { return Mul(a, Recip(b)); }

// Newton's iteration s = (s + a / s) / 2 from the square root of a's top 53
// bits, within 2^-52: with s = sqrt(a) (1 + e), each step leaves at most
// e^2 / 2 + 2.8 u, so that the last leaves less than 3 u.
TMp Sqrt(const TMp& a) {
  const int n = a.Limbs();
  double top = static_cast<double>(a.M[0] >> 11);  // a = top 2^e (1 + below 2^-52)
  int e = a.Exp - 53;
  if (e & 1) top *= 2, e -= 1;
  TMp s = Scale2(FromDouble(__builtin_sqrt(top), n), e / 2);
  for (int bits = 51; bits < 64 * n + 4; bits *= 2) s = Scale2(Add(s, Div(a, s)), -1);
  return s;
}

// From kPi (pi / 4, truncated) while it lasts: within 2^(2 - 64 n) < 0.64 u
// of pi. Beyond, pi = 16 atan(1/5) - 4 atan(1/239) a limb wider, then
// truncated: the sums err by less than 2^-64 u, the truncation by 0.64 u.
TMp Pi(int n, int twoTo) {
  TMp r(n);
  if (n <= kPiWords) {
    for (int i = 0; i < n; ++i) r.M[i] = kPi[i];
    r.Exp = 2;
  } else {
    const TMp w = Sub(Scale2(AtanInv(5, n + 1), 4), Scale2(AtanInv(239, n + 1), 2));
    r = Pack(w.M.Data(), n + 1, w.Exp, false, n);
  }
  r.Exp += twoTo;
  return r;
}

// From kInvTwoPi while it lasts; beyond, 1 / (2 pi) computed a word wider
// than asked, in [1/8, 1/4): its bits after the point are its limbs moved by
// 2. Within 4.5 u 0.16 < 2^-(64 (first + count + 1)) of 1 / (2 pi).
void InvTwoPiWords(int first, int count, uint64_t* out) {
  if (first + count <= kInvTwoPiWords) {
    std::copy_n(kInvTwoPi + first, count, out);
    return;
  }
  const int n = first + count + 1;
  const TMp v = Div(One(n), Pi(n, 1));
  for (int i = 0; i < count; ++i) {
    const int j = first + i;
    out[i] = (v.M[j] >> 2) | (j > 0 ? v.M[j - 1] << 62 : 0);
  }
}

double ToDouble(const TMp& a) {
  if (a.Zero()) return a.Neg ? -0.0 : 0.0;
  const int e = a.Exp - 1;                      // a lies in [2^e, 2^(e+1))
  const int keep = e >= -1022 ? 53 : 1075 + e;  // significant bits kept
  double r = 0;
  if (keep >= 0) {
    const uint64_t top = a.M[0];
    const uint64_t mant = keep ? top >> (64 - keep) : 0;
    const bool half = (top >> (63 - keep)) & 1;
    bool sticky = keep < 63 && (top << (keep + 1)) != 0;
    for (int i = 1; i < a.Limbs(); ++i) sticky = sticky || a.M[i] != 0;
    const uint64_t m = mant + (half && (sticky || (mant & 1)));
    r = static_cast<double>(m) * Pow2(e - keep + 1);
  }
  return a.Neg ? -r : r;
}

// Bit i of the significand (0 the top one) weighs 2^(Exp - 1 - i). With h the
// first bit dropped in rounding (weight 2^(lsb - 1)), a lies within 2^errExp
// of the midpoint only if all the bits after h, down to weight
// 2^(errExp + 1), are the opposite of h: 1000... just above it, 0111... just
// below. Any bit among them equal to h keeps every number within 2^errExp on
// the same side of it, and within the same two doubles.
bool RoundsAlike(const TMp& a, int errExp, double& out) {
  out = ToDouble(a);
  if (a.Zero()) return false;
  const int e = a.Exp - 1, lsb = e >= -1022 ? e - 52 : -1074;
  const int first = e - lsb + 1, last = e - errExp - 1;
  if (first < 0) return false;
  auto bit = [&a](int i) -> uint64_t { return i < 64 * a.Limbs() ? (a.M[i >> 6] >> (63 - (i & 63))) & 1 : 0; };
  const uint64_t h = bit(first);
  for (int i = first + 1; i <= last; ++i)
    if (bit(i) == h) return true;
  return false;
}

}  // namespace crmath::detail::wide
