#!/usr/bin/python3
"""Runs one world and plots its grid and its series.

Sets the world up as a user would (settings, "new Setup"), runs it, and
draws the final grid beside the share of unsatisfied agents and the
segregation index of every group over time, into a PNG.

    PYTHONPATH=build/python /usr/bin/python3 examples/one_world.py --out world.png
    PYTHONPATH=build/python /usr/bin/python3 examples/one_world.py --small --out world.png
"""

import argparse

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt
import numpy as np
from matplotlib.colors import ListedColormap

import vicinara as vc


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default="one_world.png", help="the PNG to write")
    parser.add_argument("--seed", type=int, default=1, help="seed of the set-up")
    parser.add_argument("--steps", type=int, default=300, help="time steps to run")
    parser.add_argument("--small", action="store_true", help="a small world and few steps (a quick check)")
    args = parser.parse_args()

    sim = vc.Simulation(seed=args.seed, settings={"cb_individTol": 0, "TrB_thresh": 50})
    if args.small:
        sim.set("Edit_anzAg", 800)
        sim.set("Edit_cellSiz", 17)
    else:
        # A finer grid with more agents: the agent count is checked against
        # the world that exists, so the larger world is set up first.
        sim.set("Edit_cellSiz", 3)
        sim.new_setup()
        sim.set("Edit_anzAg", 40000)
    sim.new_setup()
    sim.set_thresholds()
    sim.step(10 if args.small else args.steps)

    grid = sim.state()
    table = sim.table()
    groups = sim.measures()["group_counts"]
    figure, (left, right) = plt.subplots(1, 2, figsize=(11, 5))
    colours = ["white"] + list(plt.get_cmap("tab10").colors[: len(groups)])
    left.imshow(grid, cmap=ListedColormap(colours), vmin=0, vmax=len(groups), interpolation="nearest")
    left.set_title(f"{int(np.count_nonzero(grid))} agents after {sim.step_count} steps")
    left.set_axis_off()
    right.plot(table["step"], 100 * table["unsatisfied"] / table["agents"], "k-", label="unsatisfied (%)")
    for g in range(1, len(groups) + 1):
        right.plot(table["step"], table[f"segregation_{g}"], color=colours[g], label=f"segregation {g}")
    right.set_xlabel("time step")
    right.legend(fontsize="small")
    figure.tight_layout()
    figure.savefig(args.out, dpi=100)
    print(f"{args.out}: {sim.step_count} steps")


if __name__ == "__main__":
    main()
