#!/bin/sh
# Runs an experiment once whole and once as four shards through GNU parallel,
# merges the shards and compares the two folders byte for byte.
# Usage: experiment_shards.sh PATH-TO-vicinara-cli
set -eu
cli=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check() {
  name=$1
  shift
  "$cli" experiment "$@" --seed 42 --threads 2 --out "$work/$name-single"
  parallel --will-cite --halt now,fail=1 -j 4 \
    "$cli" experiment "$@" --seed 42 --threads 1 --shard {}/4 --out "$work/$name-shard{}" ::: 0 1 2 3
  "$cli" merge "$work/$name-shard3" "$work/$name-shard1" "$work/$name-shard0" "$work/$name-shard2" \
    --out "$work/$name-merged"
  diff -r "$work/$name-single" "$work/$name-merged"
  echo "$name: four shards merged equal the single run"
}

world="--set Edit_cellSiz=17 --set Edit_anzAg=800 --set cb_individTol=0"
# shellcheck disable=SC2086
check growth growth $world --exp E_valFrom=10 --exp E_valTo=40 --exp E_toSteps=20 --exp E_calcVals=2
# shellcheck disable=SC2086
check stability stability $world --exp E_valTo=27 --exp E_calcRds=2 --exp Cb_acti3d=1 --exp CB_param=2 \
  --exp E_thirdFrom=1 --exp E_thirdTo=3 --max-round-steps 20000
