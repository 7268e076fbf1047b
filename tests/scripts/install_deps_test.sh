#!/usr/bin/env bash
# scripts/install-deps against stand-in package tools first on PATH: a
# mirror caught mid-sync, libraries whose versions differ between
# architectures, a package that cannot be had, a machine that has everything.
# The stand-ins keep their state in a scratch folder: the installed packages,
# every apt-get call, and how many more `update`s should fail.
set -uo pipefail
script=$(cd "$(dirname "$0")/../.." && pwd)/scripts/install-deps
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
bin=$scratch/bin
mkdir -p "$bin"

cat >"$bin/dpkg-query" <<'STAND_IN'
#!/usr/bin/env bash
# dpkg-query -W -f=FORMAT PACKAGE
{ [ -e "$STATE/everything" ] || grep -qxF "${!#}" "$STATE/installed"; } && echo "install ok installed" && exit 0
exit 1
STAND_IN
cat >"$bin/dpkg" <<'STAND_IN'
#!/usr/bin/env bash
case "$1" in
  --print-foreign-architectures) cat "$STATE/architectures" ;;
  --add-architecture) echo "$2" >>"$STATE/architectures" ;;
esac
STAND_IN
cat >"$bin/sleep" <<'STAND_IN'
#!/usr/bin/env bash
echo "sleep $*" >>"$STATE/calls"
STAND_IN
cat >"$bin/sudo" <<'STAND_IN'
#!/usr/bin/env bash
exec "$@"
STAND_IN
# apt-get: `update` fails while STATE/update-failures counts down; `install`
# refuses every package named in STATE/unknown, and when STATE/skew exists
# refuses with held broken packages unless given -t.
cat >"$bin/apt-get" <<'STAND_IN'
#!/usr/bin/env bash
echo "apt-get $*" >>"$STATE/calls"
case " $* " in
  *" update "*)
    left=$(cat "$STATE/update-failures")
    if [ "$left" -gt 0 ]; then
      echo $((left - 1)) >"$STATE/update-failures"
      echo "E: Failed to fetch http://mirror/debian-security/dists/x/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
      exit 100
    fi
    exit 0 ;;
esac
packages=() release=""
while [ $# -gt 0 ]; do
  case "$1" in
    -t) release=$2; shift ;;
    -*) ;;
    install) ;;
    *) packages+=("$1") ;;
  esac
  shift
done
for p in "${packages[@]}"; do
  if grep -qxF "$p" "$STATE/unknown"; then echo "E: Unable to locate package $p"; exit 100; fi
done
if [ -e "$STATE/skew" ] && [ -z "$release" ]; then
  echo "The following packages have unmet dependencies:"
  echo " libelf1:i386 : Depends: zlib1g:i386 (>= 1:1.1.4) but it is not installable"
  echo "E: Unable to correct problems, you have held broken packages."
  exit 100
fi
printf '%s\n' "${packages[@]}" >>"$STATE/installed"
STAND_IN
chmod +x "$bin"/*

cases=0 passed=0 case_ok=1
fail() { echo "FAILED: $case_name: $*"; case_ok=0; }
end_case() {
  cases=$((cases + 1))
  [ "$case_ok" = 1 ] && passed=$((passed + 1))
  case_ok=1
}

# new_machine NAME UPDATE_FAILURES: a scratch state with nothing installed.
new_machine() {
  case_name=$1
  export STATE=$scratch/$1
  mkdir -p "$STATE"
  echo "$2" >"$STATE/update-failures"
  : >"$STATE/installed"; : >"$STATE/calls"; : >"$STATE/unknown"; : >"$STATE/architectures"
}

# run_script ARGS...: install-deps with the stand-ins; output and status kept.
run_script() {
  status=0
  output=$(PATH="$bin:$PATH" "$script" "$@" 2>&1) || status=$?
}

codename=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")

echo "== mid-sync mirror: every update fails, then held broken packages until -t"
new_machine midsync 99
touch "$STATE/skew"
BEXARAN_WIN_ARCH=32 run_script --game
[ "$status" = 0 ] || fail "exit $status: $output"
[ "$(grep -c 'apt-get update' "$STATE/calls")" = 3 ] || fail "update not tried three times"
[ "$(grep -c '^sleep' "$STATE/calls")" = 2 ] || fail "no pause between the tries"
grep -q 'could not be fetched' <<<"$output" || fail "no line about the failed indexes: $output"
[ "$(grep -c '^install-deps: some package indexes' <<<"$output")" = 1 ] || fail "more than one line about the indexes"
[ -z "$codename" ] || grep -q "apt-get install .*-t $codename" "$STATE/calls" ||
  fail "no retry against the base release $codename: $(cat "$STATE/calls")"
grep -qx 'wine32:i386' "$STATE/installed" || fail "wine32:i386 not installed"
grep -qx 'i386' "$STATE/architectures" || fail "i386 not added as an architecture"

end_case

echo "== an update that fails once, then works: no word about indexes"
new_machine flaky 1
BEXARAN_WIN_ARCH=32 run_script
[ "$status" = 0 ] || fail "exit $status: $output"
[ "$(grep -c 'apt-get update' "$STATE/calls")" = 2 ] || fail "update not retried once"
grep -q 'could not be fetched' <<<"$output" && fail "said indexes failed though the retry worked"

end_case

echo "== the 64-bit choice: 64-bit Wine and MinGW, no i386 at all"
new_machine arch64 0
BEXARAN_WIN_ARCH=64 run_script --game
[ "$status" = 0 ] || fail "exit $status: $output"
grep -qx wine64 "$STATE/installed" || fail "wine64 not installed"
grep -qx g++-mingw-w64-x86-64 "$STATE/installed" || fail "the 64-bit MinGW not installed"
grep -q ':i386' "$STATE/installed" && fail "an i386 package installed for the 64-bit choice"
[ -s "$STATE/architectures" ] && fail "i386 added as an architecture for the 64-bit choice"
BEXARAN_WIN_ARCH=64 run_script --game-tests
grep -qx g++-mingw-w64-i686 "$STATE/installed" || fail "the test run's 32-bit MinGW not installed"

end_case

echo "== a package that cannot be had: one message naming it and its use"
new_machine unknown 0
echo chromium-driver >"$STATE/unknown"
BEXARAN_WIN_ARCH=32 run_script --web-tests
[ "$status" != 0 ] || fail "exit 0 though chromium-driver cannot be had"
grep -q 'cannot install chromium-driver (needed for the browser tests)' <<<"$output" ||
  fail "the message does not name the package and its use: $output"
grep -q -- '-t ' "$STATE/calls" && fail "retried against the base release for a missing package"

end_case

echo "== a machine that has everything: nothing done, nothing printed"
new_machine equipped 0
touch "$STATE/everything"
BEXARAN_WIN_ARCH=32 run_script --game-tests --web-tests
[ "$status" = 0 ] || fail "exit $status: $output"
[ -z "$output" ] || fail "printed on an equipped machine: $output"
[ -s "$STATE/calls" ] && fail "called apt-get on an equipped machine: $(cat "$STATE/calls")"
end_case

echo "$passed passed, $((cases - passed)) failed"
[ "$passed" = "$cases" ]
