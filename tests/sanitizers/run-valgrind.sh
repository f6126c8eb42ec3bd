#!/usr/bin/env bash
# Runs every test binary of a build whose tests are not labelled gui under valgrind's memcheck.
#
#   tests/sanitizers/run-valgrind.sh BUILD_DIR
#
# The binaries are taken from CTest's list of tests (labels, environment and working directory
# included). A GoogleTest binary runs once with all its cases rather than once per case, which
# keeps valgrind's start-up cost to one per binary; any other registered test runs its own
# command line. Child processes (the command-line tools the tests start through the shell) run
# under valgrind too. Each process writes its own log; the run fails if any process reports an
# error or a definite leak, or if a test fails.
set -uo pipefail

build_dir=${1:?usage: run-valgrind.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
build_dir=$(cd "$build_dir" && pwd)
log_dir=$build_dir/valgrind
rm -rf "$log_dir"
mkdir -p "$log_dir"

valgrind_options=(
    --tool=memcheck
    --error-exitcode=1
    --leak-check=full
    --show-leak-kinds=definite
    --errors-for-leak-kinds=definite
    --num-callers=40
    --suppressions="$here/valgrind.supp"
    # The timing tests count allocations with their own global operator new and delete: let
    # those run (they call malloc and free, which memcheck follows) instead of replacing only
    # some of them, which would pair memcheck's new with the test's delete.
    --soname-synonyms=somalloc=nouserintercepts
    --trace-children=yes
    --log-file="$log_dir/%q{FLIT_VALGRIND_NAME}.%p.log"
)

# CTest's list of the tests, with their commands and properties. Listing runs the discovery of
# the GUI binaries too, so it needs a display (the Makefile runs this under xvfb-run).
tests=$(cd "$build_dir" && ctest --show-only=json-v1 -LE gui) || {
    echo "run-valgrind: cannot list the tests of $build_dir" >&2
    exit 1
}
count=$(jq '.tests | length' <<<"$tests")
if [ "$count" -eq 0 ]; then
    echo "run-valgrind: no tests without the gui label in $build_dir" >&2
    exit 1
fi

# property NAME of test I, or empty.
property() {
    jq -r --argjson i "$1" --arg name "$2" \
        '.tests[$i].properties // [] | map(select(.name == $name)) | .[0].value // empty
         | if type == "array" then .[] else . end' <<<"$tests"
}

declare -A done_binaries=()
failed=0
started=$SECONDS
for ((i = 0; i < count; i++)); do
    mapfile -t command < <(jq -r --argjson i "$i" '.tests[$i].command // [] | .[]' <<<"$tests")
    if [ "${#command[@]}" -eq 0 ]; then
        echo "run-valgrind: $(jq -r --argjson i "$i" '.tests[$i].name' <<<"$tests") has no command (not built?)" >&2
        failed=1
        continue
    fi
    binary=${command[0]}
    # Only our own programs: tests that run a script are left to the plain run.
    case "$binary" in
        "$build_dir"/*) ;;
        *)
            echo "== valgrind: skipping $(jq -r --argjson i "$i" '.tests[$i].name' <<<"$tests") (runs $binary, not a test binary of ours)"
            continue
            ;;
    esac
    if printf '%s\n' "${command[@]:1}" | grep -q '^--gtest_filter='; then
        [ -n "${done_binaries[$binary]:-}" ] && continue
        done_binaries[$binary]=1
        command=("$binary")
        name=$(basename "$binary")
    else
        name=$(jq -r --argjson i "$i" '.tests[$i].name' <<<"$tests" | tr -c 'A-Za-z0-9_.-' '_')
    fi
    workdir=$(property "$i" WORKING_DIRECTORY)
    [ -n "$workdir" ] || workdir=$(dirname "$binary")
    mapfile -t environment < <(property "$i" ENVIRONMENT | grep '=')

    echo "== valgrind: $name"
    t0=$SECONDS
    (cd "$workdir" &&
        env "${environment[@]}" FLIT_VALGRIND_NAME="$name" \
            valgrind "${valgrind_options[@]}" "${command[@]}") >"$log_dir/$name.out" 2>&1
    status=$?
    summary=$(grep -E '^\[  (PASSED|FAILED)  \]' "$log_dir/$name.out" | tr '\n' ' ')
    echo "   exit $status after $((SECONDS - t0)) s ${summary}"
    if [ "$status" -ne 0 ]; then
        failed=1
        tail -n 40 "$log_dir/$name.out"
    fi
done

# Every log of one of our programs, children included: an error or a definite leak fails the
# run. The shell and system tools that the tests start on the way are traced too (valgrind can
# only follow a child through its parent) but are not ours to judge.
for log in "$log_dir"/*.log; do
    program=$(sed -n 's/^==[0-9]*== Command: \([^ ]*\).*/\1/p' "$log" | head -n 1)
    case "$program" in
        "$build_dir"/*) ;;
        *) continue ;;
    esac
    if grep -qE 'ERROR SUMMARY: [1-9]' "$log"; then
        failed=1
        echo "---- $log"
        cat "$log"
    fi
done

processes=$(ls "$log_dir"/*.log | wc -l)
echo "run-valgrind: $processes processes under valgrind in $((SECONDS - started)) s; logs in $log_dir"
if [ "$failed" -ne 0 ]; then
    echo "run-valgrind: FAILED" >&2
    exit 1
fi
echo "run-valgrind: clean"
