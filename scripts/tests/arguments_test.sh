#!/usr/bin/env bash
# The arguments of scripts/run and scripts/test. Copies of the two scripts run in a scratch tree
# whose cmake, ctest, dpkg-query, apt-get, sudo and nproc are stand-ins that log each call, so
# nothing is installed or built: a refused argument must stop a script with its usage line and
# exit status 2 before any of them is called; JOBS must reach the build and the test run.
# The checks run side by side, each with a folder of its own for its output and its log of calls
# (CALLS, which the stand-ins write to); their reports are printed in order at the end.
set -uo pipefail
scripts="$(cd "$(dirname "$0")/.." && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/tree/scripts" "$scratch/bin" "$scratch/root"
cp "$scripts/run" "$scripts/test" "$scratch/tree/scripts/"
# The SQLite source step stands in too: it names a folder and fetches nothing.
printf '#!/usr/bin/env bash\necho "sqlite-source $*" >> "$CALLS"\necho /sqlite\n' > "$scratch/tree/scripts/sqlite-source"
chmod +x "$scratch/tree/scripts/sqlite-source"
for tool in cmake ctest dpkg-query apt-get sudo nproc; do
  {
    echo '#!/usr/bin/env bash'
    echo "echo \"$tool \$*\" >> \"\$CALLS\""
    case "$tool" in
      dpkg-query) echo 'echo "install ok installed"' ;;
      nproc) echo 'echo 7' ;;
      cmake) echo 'mkdir -p build build-asan' ;;
    esac
  } > "$scratch/bin/$tool"
  chmod +x "$scratch/bin/$tool"
done

# check SCRIPT JOBS STATUS STDERR CALL [ARGUMENTS...]
#   CI      taken from the variable ci (unset unless a check sets it), never from the caller's
#           environment: the CI machine runs this test with CI=true
#   JOBS    unset when empty, whatever the caller's environment holds
#   STATUS  the exit status, or "any"
#   STDERR  a text the standard error must hold ("" for none)
#   CALL    a line the log of calls must hold; "" means that nothing may have been called
# Starts the check in the background; its failures go to the file "failures" of its folder, and
# the file "ended" says that it ran to its end.
checks=0
check() {
  checks=$((checks + 1))
  local folder
  folder="$scratch/check-$(printf %02d "$checks")"
  mkdir -p "$folder"
  { run_check "$folder" "$@" > "$folder/failures"; touch "$folder/ended"; } &
}

run_check() {
  local folder="$1" script="$2" jobs="$3" status="$4" stderr="$5" call="$6"
  shift 6
  local log="$folder/calls"
  (cd "$scratch" && env -u CI -u JOBS ${ci:+CI="$ci"} ${jobs:+JOBS="$jobs"} CALLS="$log" PATH="$scratch/bin:$PATH" \
     REPORT_MACHINE_ROOT="$scratch/root" bash "tree/scripts/$script" "$@" > "$folder/out" 2> "$folder/err" < /dev/null)
  local got=$?
  local what="scripts/$script $* (JOBS=$jobs)"
  if [ "$status" != any ] && [ "$got" != "$status" ]; then
    echo "FAIL $what: exit status $got, expected $status"
  fi
  if [ -n "$stderr" ] && ! grep -qF -- "$stderr" "$folder/err"; then
    echo "FAIL $what: standard error lacks '$stderr':"; sed 's/^/    /' "$folder/err"
  fi
  if [ -z "$call" ] && [ -s "$log" ]; then
    echo "FAIL $what: called before its arguments were checked:"; sed 's/^/    /' "$log"
  elif [ -n "$call" ] && ! grep -qxF -- "$call" "$log" 2>/dev/null; then
    echo "FAIL $what: no call '$call' among:"; sed 's/^/    /' "$log" 2>/dev/null
  fi
}

targets="--target report sample-chain register-library zmtext32 screens jettext"
#     script JOBS status stderr                              call                                    arguments
check run    ""   2      "usage: scripts/run"                ""                                      --bogus
check run    ""   2      "usage: scripts/run"                ""                                      --root
check run    ""   2      "usage: scripts/run"                ""                                      --root ""
check run    ""   2      "usage: scripts/run"                ""                                      --root "$scratch/root" extra
check run    ""   2      "usage: scripts/run"                ""                                      -r "$scratch/root"
check run    abc  2      "JOBS must be a number"             ""                                      --root "$scratch/root"
check run    0    2      "JOBS must be a number"             ""
check test   ""   2      "usage: scripts/test"               ""                                      --bogus
check test   ""   2      "usage: scripts/test"               ""                                      build
check test   -1   2      "JOBS must be a number"             ""
check run    5    any    ""                                  "cmake --build build -j 5 $targets"     --root "$scratch/root"
check run    ""   any    ""                                  "cmake --build build -j 7 $targets"
check test   3    0      ""                                  "cmake --build build -j 3"
check test   3    0      ""                                  "cmake -S . -B build -G Ninja -DZM_WERROR=OFF -DZM_SQLITE_SOURCE=/sqlite"
check run    5    any    ""                                  "cmake -S . -B build -G Ninja -DZM_SQLITE_SOURCE=/sqlite"     --root "$scratch/root"
check test   3    0      ""                                  "ctest --output-on-failure -j 3"
check test   ""   0      ""                                  "ctest --output-on-failure -j 7"
ci=true
check test   2    0      ""                                  "cmake --build build-asan -j 2"
unset ci

wait
failures=$(cat "$scratch"/check-*/failures | grep -c '^FAIL')
cat "$scratch"/check-*/failures
if ((failures)); then
  echo "$failures failed checks"
  exit 1
fi
ended=$(ls "$scratch"/check-*/ended 2>/dev/null | wc -l)
if ((ended != checks)); then
  echo "only $ended of $checks checks ended"
  exit 1
fi
echo "all $checks checks passed"
