#!/usr/bin/env bash
# `cmake --install` into a fresh prefix: the layout, the installed command and filter loading the
# installed module (not the build tree's) with no variable set, and the manual page and bash
# completion agreeing with --help flag for flag.
#   tests/package/installed_test.sh BUILD_DIR
set -euo pipefail

build=$(realpath "$1")
fail() { echo "velmora: installed: $*" >&2; exit 1; }
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null
unset VELMORA_EFFECT_MODULE FREI0R_PATH
cd "$prefix"

for f in bin/velmora lib/velmora/Velmora.so lib/velmora/Velmora.pipl lib/frei0r-1/velmora.so \
  share/man/man1/velmora.1 share/bash-completion/completions/velmora \
  share/velmora/samples/sample.png share/velmora/presets/look.toml share/velmora/presets/look.json \
  share/doc/velmora/README.md share/doc/velmora/LICENSE share/doc/velmora/CHANGELOG.md; do
  [ -s "$f" ] || fail "$f is not installed"
done
# Nothing but the filter in the frei0r folder: the tools try every library there as a filter.
[ "$(ls lib/frei0r-1)" = velmora.so ] || fail "lib/frei0r-1 holds $(ls lib/frei0r-1 | tr '\n' ' ')"

# The dynamic loader names every library it opens: the module must come from the prefix.
loaded_module() { LD_DEBUG=files "$@" 2>&1 >/dev/null | sed -n 's/.*file=\([^ ]*Velmora\.so\).*/\1/p' | sort -u; }
module=$prefix/lib/velmora/Velmora.so
bin/velmora --version | grep -q '^effect Velmora ' || fail "velmora --version shows no effect"
got=$(loaded_module bin/velmora render share/velmora/samples/sample.png glow.png -q \
  --preset share/velmora/presets/look.toml)
[ "$got" = "$module" ] && [ -s glow.png ] || fail "velmora render loaded '$got', not $module"
# Run from PATH, as users do: the loader then knows the program only as "velmora".
got=$(cd share && PATH=$prefix/bin:$PATH loaded_module velmora render velmora/samples/sample.png \
  ../glow2.png -q)
[ "$got" = "$module" ] || fail "velmora from PATH loaded '$got', not $module"
if command -v ffmpeg > /dev/null; then
  got=$(FREI0R_PATH=$prefix/lib/frei0r-1 loaded_module ffmpeg -v error -f lavfi \
    -i testsrc2=size=64x48:rate=25 -frames:v 1 -vf "frei0r=velmora:0.1" -f null -)
  [ "$got" = "$module" ] || fail "the installed filter loaded '$got', not $module"
fi

# Every flag --help shows is in the manual page and the completion, and nothing hidden leaks.
man=$(sed 's/\\-/-/g' share/man/man1/velmora.1)
completion=share/bash-completion/completions/velmora
for sub in "" render info preview; do
  for flag in $(bin/velmora $sub --help | grep -o -- '--[a-z][a-z0-9-]*' | sort -u); do
    grep -q -- "fB$flag\\\\fR" <<< "$man" || fail "man page lacks $sub $flag"
    grep -q -- " $flag[ |\")]" "$completion" || fail "completion lacks $sub $flag"
  done
done
bin/velmora --help | grep -q -- --manual && fail "--help shows the hidden --manual"

# The completion at work: subcommands, a subcommand's flags, a control's choices.
complete_words() {
  bash -c '. "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _velmora; echo "${COMPREPLY[*]}"' \
    sh "$completion" "$@"
}
[ "$(complete_words velmora r)" = render ] || fail "completion of 'velmora r'"
[ "$(complete_words velmora render --mo)" = --mode ] || fail "completion of 'render --mo'"
[ "$(complete_words velmora render in.png --mode '')" = "screen add" ] \
  || fail "completion of 'render --mode': $(complete_words velmora render in.png --mode '')"
[ "$(complete_words velmora --plugin x info --js)" = --json ] || fail "completion of 'info --js'"
echo "installed layout, module search, manual page and completion checked"
