#!/usr/bin/env bash
# The layers, checked on every #include "folder/..." of the tree (every include names the file's
# path from the repository root): each folder may include only the layers below it. The effect
# reaches down to hostapi only; the simulated host knows nothing of the effect; the engine and
# the tools may read the effect's published control layout (effect/params/) but never its
# render code; nothing includes a front-end; the command's rooms include only rooms below them.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}

declare -A may_include=(
  [hostapi]="hostapi"
  [effect/host_calls]="hostapi effect/host_calls"
  [effect/params]="hostapi effect/host_calls effect/params"
  [effect/render]="hostapi effect/host_calls effect/params effect/render"
  [effect/plugin]="hostapi effect/host_calls effect/params effect/render effect/plugin"
  [hostsim]="hostapi hostsim"
  [text]="text"
  [engine]="hostapi hostsim effect/params engine"
  [cli/report]="hostapi hostsim effect/params engine cli/report"
  [cli/controls]="hostapi hostsim effect/params engine cli/report cli/controls"
  [cli/colour]="hostapi hostsim engine cli/report cli/colour"
  [cli/image]="hostapi hostsim effect/params engine cli/report cli/colour cli/image"
  [cli/sequence]="hostapi hostsim effect/params engine cli/report cli/colour cli/image cli/sequence"
  [cli/info]="hostapi hostsim effect/params engine text cli/report cli/controls cli/info"
  [cli/preview]="hostapi hostsim effect/params engine cli/report cli/controls cli/colour cli/image cli/sequence cli/info cli/preview"
  [cli/command]="hostapi hostsim effect/params engine cli/report cli/controls cli/colour cli/image cli/sequence cli/info cli/preview cli/command"
  [frei0r]="hostapi hostsim effect/params engine frei0r"
  [python]="hostapi hostsim effect/params engine cli/report cli/controls cli/colour cli/image cli/sequence cli/info cli/command python"
)

status=0
for folder in "${!may_include[@]}"; do
  [ -d "$root/$folder" ] || { echo "include rule: no folder $folder"; status=1; continue; }
  while IFS= read -r line; do
    file=${line%%:*}
    # The layer an include reaches: its first folder, or its first two under effect/ and cli/.
    included=$(sed -E 's/.*#include "((effect|cli)\/[^"/]+|[^"/]+)\/.*/\1/' <<<"${line#*:}")
    if [[ " ${may_include[$folder]} " != *" $included "* ]]; then
      echo "include rule: ${file#"$root"/} includes $included/, which $folder/ may not"
      status=1
    fi
  done < <(grep -rHE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' "$root/$folder" \
             --include='*.h' --include='*.cpp' --include='*.in' || true)
done
[ $status -eq 0 ] && echo "include rule: every folder includes only the layers below it"
exit $status
