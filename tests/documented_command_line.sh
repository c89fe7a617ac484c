#!/usr/bin/env bash
# The manual's and the README's synopsis say what the tool takes, and the bash completion offers it.
#   tests/documented_command_line.sh TOOL SOURCE_DIR
set -uo pipefail
tool=$1
source_dir=$2
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The manual: its SYNOPSIS section is the tool's own, line for line.
manual=$(sed -n '/^\.SH SYNOPSIS$/,/^\.SH /p' "$source_dir/docs/man/specialty-catalogue.1" | sed '1d;$d')
if ! diff -u <("$tool" --generate man-synopsis) <(printf '%s\n' "$manual") >&2; then
    fail "docs/man/specialty-catalogue.1: the SYNOPSIS differs from 'specialty-catalogue --generate man-synopsis'"
fi

# The README: the synopsis stands there as one indented block.
synopsis=$("$tool" --generate synopsis | sed 's/^/    /')
if ! grep -qxF -- "$(head -n 1 <<<"$synopsis")" "$source_dir/README.md" ||
    ! python3 -c 'import sys; sys.exit(0 if sys.argv[1] in open(sys.argv[2]).read() else 1)' \
        "$synopsis" "$source_dir/README.md"; then
    fail "README.md does not hold the synopsis of 'specialty-catalogue --generate synopsis':"
    echo "$synopsis" >&2
fi

# The completion, as bash runs it: what is offered after the words typed so far.
completion=$(mktemp)
trap 'rm -f "$completion"' EXIT
"$tool" --generate complete-bash >"$completion"
offered() {
    bash -c '
        source "$1"; shift
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
        _specialty_catalogue
        [ ${#COMPREPLY[@]} -eq 0 ] || printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "
    ' _ "$completion" "$@"
}
expect() {
    local wanted=$1
    shift
    local got
    got=$(offered "$@")
    [ "$got" = "$wanted" ] || fail "completing '$*': expected '$wanted', got '$got'"
}
expect "import " specialty-catalogue im
expect "list " specialty-catalogue --data /tmp li
expect "--dry-run " specialty-catalogue import --dr
expect "--make " specialty-catalogue find --years 2000 2001 --ma
expect "--codes " specialty-catalogue --json list --c
expect "complete-bash " specialty-catalogue --generate co
expect "--data --generate --help --json --version " specialty-catalogue --
expect "" specialty-catalogue uses --
dir=$(mktemp -d)
touch "$dir/catalogue.csv"
expect "$dir/catalogue.csv " specialty-catalogue import "$dir/cat"
expect "$dir/catalogue.csv " specialty-catalogue diff "$dir/catalogue.csv" "$dir/c"
rm -rf "$dir"

if [ "$failures" -ne 0 ]; then
    echo "$failures failed" >&2
    exit 1
fi
echo "the manual, the README and the completion agree with the tool"
