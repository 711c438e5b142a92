#pragma once

#include <vector>

namespace world {

// What the group sizes window shows for one group after a change of the
// shares: its track-bar position (percent) and its number of agents.
struct ShareView {
  int Position = 0;
  int Count = 0;
  bool operator==(const ShareView&) const = default;
};

// The number of agents a share (percent) of `total` agents stands for,
// rounded with halves to even.
int ShareCount(double share, int total);

// Track-bar position of every group while the shares are equal: 100 / n, truncated.
int EqualSharePosition(int groupCount);

// Moves group k's share to `position` percent and spreads the difference in
// agents over the other groups so that the counts add up to `total` (up to
// the rounding of the amount each group receives). No group is lowered
// below the count of a 1 percent share; groups that would be are held at
// it and the rest is spread in further passes. When the lowered groups are
// all held at that minimum the move is abandoned: shares[k] keeps
// `position`, every other share stays, and the result is empty. When group
// k's bar was lowered every other group receives an equal part of the
// freed agents, also a group standing at the minimum. A k outside the
// shares abandons too. Otherwise every share is rewritten from its count
// and the result holds the new position and count of every group.
std::vector<ShareView> RebalanceShares(std::vector<double>& shares, int k, int position, int total);

// Equal shares for `groupCount` groups: shares of 100 / n percent, bars at
// EqualSharePosition, counts of `total` agents.
std::vector<ShareView> ResetShares(std::vector<double>& shares, int groupCount, int total);

}  // namespace world
