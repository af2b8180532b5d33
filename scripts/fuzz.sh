#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds one libFuzzer target with clang-14 (ASan + UBSan) into build-fuzz/ and runs it.
#   scripts/fuzz.sh <target> [seconds]   fuzz for that long (default 180 s); new inputs go
#                                        to build-fuzz/corpus/<target>, crashes to
#                                        build-fuzz/artifacts/<target>/
#   scripts/fuzz.sh --merge <target>     minimise fuzz/corpus/<target> together with the
#                                        new inputs into the checked-in corpus
# Targets: rtf_text html_image_source property_list item_titles
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELVORA_FUZZ_BUILD_DIR:-$root/build-fuzz}

merge=0
if [[ ${1:-} == --merge ]]; then
  merge=1
  shift
fi
target=${1:?usage: scripts/fuzz.sh [--merge] <target> [seconds]}
seconds=${2:-180}
[[ -d $root/fuzz/corpus/$target ]] || { echo "fuzz.sh: unknown target $target" >&2; exit 2; }

export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -G Ninja \
  -DKELVORA_FUZZ=ON -DKELVORA_SANITIZE=ON -DKELVORA_TESTS=OFF -DKELVORA_BENCH=OFF \
  -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$build" --target "fuzz_$target"

binary=$build/fuzz/fuzz_$target
work=$build/corpus/$target
mkdir -p "$work" "$build/artifacts/$target"

if ((merge)); then
  fresh=$(mktemp -d)
  "$binary" -merge=1 "$fresh" "$root/fuzz/corpus/$target" "$work"
  rm -f "$root/fuzz/corpus/$target"/*
  cp "$fresh"/* "$root/fuzz/corpus/$target/"
  rm -rf "$fresh"
  echo "fuzz.sh: fuzz/corpus/$target now holds $(ls "$root/fuzz/corpus/$target" | wc -l) inputs"
  exit 0
fi

dict=()
[[ -f $root/fuzz/$target.dict ]] && dict=(-dict="$root/fuzz/$target.dict")
# One job: the machine is shared. -timeout catches inputs that make a reader slow.
exec "$binary" "$work" "$root/fuzz/corpus/$target" "${dict[@]}" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -print_final_stats=1 -artifact_prefix="$build/artifacts/$target/"
