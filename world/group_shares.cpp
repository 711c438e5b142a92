#include "group_shares.h"

#include <cstddef>

#include "rounding.h"

namespace world {

int ShareCount(double share, int total) { return static_cast<int>(Round(0.01 * share * total)); }

int EqualSharePosition(int groupCount) { return groupCount > 0 ? 100 / groupCount : 0; }

std::vector<ShareView> RebalanceShares(std::vector<double>& shares, int k, int position, int total) {
  const int n = static_cast<int>(shares.size());
  if (k < 0 || k >= n) return {};
  shares[static_cast<std::size_t>(k)] = position;
  // Without agents there is nothing to count or spread.
  if (total <= 0) return {};

  std::vector<int> count(static_cast<std::size_t>(n));
  long long sum = 0;
  for (int l = 0; l < n; ++l) {
    count[static_cast<std::size_t>(l)] = ShareCount(shares[static_cast<std::size_t>(l)], total);
    sum += count[static_cast<std::size_t>(l)];
  }
  long long r = total - sum;
  const int m = ShareCount(1.0, total);
  // Freed agents go to every other group, also to those held at the
  // minimum: otherwise a lowered bar beside groups at 1 percent would leave
  // agents nobody receives.
  const bool giving = r > 0;

  long long d = 0;
  for (;;) {
    int a = 0;
    for (int l = 0; l < n; ++l) {
      if (l != k && (giving || count[static_cast<std::size_t>(l)] > m)) ++a;
    }
    if (a == 0) return {};
    d = Round(static_cast<double>(r) / a);
    bool clamped = false;
    // One d for the whole pass; a group that it would take to the minimum or
    // below is held at the minimum and gives up what it has above it.
    for (int l = 0; l < n; ++l) {
      int& c = count[static_cast<std::size_t>(l)];
      if (l == k) continue;
      if (m < c && c <= m - d) {
        r += c - m;
        c = m;
        --a;
        clamped = true;
      }
    }
    d = a >= 1 ? Round(static_cast<double>(r) / a) : 0;
    if (!clamped) break;
  }

  for (int l = 0; l < n; ++l) {
    int& c = count[static_cast<std::size_t>(l)];
    if (l != k && (c > m || giving)) c += static_cast<int>(d);
  }

  std::vector<ShareView> view(static_cast<std::size_t>(n));
  for (int l = 0; l < n; ++l) {
    const int c = count[static_cast<std::size_t>(l)];
    auto& v = view[static_cast<std::size_t>(l)];
    shares[static_cast<std::size_t>(l)] = c / (0.01 * total);
    v.Count = c;
    v.Position = l == k ? position : static_cast<int>(Round(100.0 * c / total));
  }
  return view;
}

std::vector<ShareView> ResetShares(std::vector<double>& shares, int groupCount, int total) {
  const int n = groupCount > 0 ? groupCount : 0;
  shares.assign(static_cast<std::size_t>(n), n > 0 ? 100.0 / n : 0.0);
  std::vector<ShareView> view(static_cast<std::size_t>(n));
  for (int g = 0; g < n; ++g) {
    view[static_cast<std::size_t>(g)] = {EqualSharePosition(n), ShareCount(shares[static_cast<std::size_t>(g)], total)};
  }
  return view;
}

}  // namespace world
