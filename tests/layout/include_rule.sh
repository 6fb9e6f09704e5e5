#!/usr/bin/env bash
# The layers, checked on every #include "folder/..." of the tree: each folder may include only
# the folders below it. The effect reaches down to hostapi only; the simulated host knows nothing
# of the effect; the engine and the tools may read the effect's published control layout
# (params/) but never its render code; nothing includes a front-end.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}

declare -A may_include=(
  [hostapi]="hostapi"
  [host]="hostapi host"
  [params]="hostapi host params"
  [render]="hostapi host params render"
  [plugin]="hostapi host params render plugin"
  [hostsim]="hostapi hostsim"
  [text]="text"
  [engine]="hostapi hostsim params engine"
  [cli]="hostapi hostsim params engine text cli"
  [frei0r]="hostapi hostsim params engine frei0r"
)

status=0
for folder in "${!may_include[@]}"; do
  [ -d "$root/$folder" ] || { echo "include rule: no folder $folder"; status=1; continue; }
  while IFS= read -r line; do
    file=${line%%:*}
    included=$(sed -E 's/.*#include "([^"/]+)\/.*/\1/' <<<"${line#*:}")
    if [[ " ${may_include[$folder]} " != *" $included "* ]]; then
      echo "include rule: ${file#"$root"/} includes $included/, which $folder/ may not"
      status=1
    fi
  done < <(grep -rHE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' "$root/$folder" \
             --include='*.h' --include='*.cpp' --include='*.in' || true)
done
[ $status -eq 0 ] && echo "include rule: every folder includes only the layers below it"
exit $status
