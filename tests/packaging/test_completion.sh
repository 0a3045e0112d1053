#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The bash completion of zynt-cli, sourced into a plain bash (no
# bash-completion package): the completions asked for on the command line give
# the expected COMPREPLY, and every command and option that zynt-cli --help
# names can be completed.
#
#   test_completion.sh COMPLETION-FILE ZYNT-CLI
set -u
completion=$1
cli=$2
failures=0
checks=0

# shellcheck source=/dev/null
source "$completion" || { echo "FAIL: cannot source $completion"; exit 1; }

# Completes the words as bash would split them (the last one is the word
# being completed) and prints COMPREPLY sorted, one per line.
complete_words() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _zynt_cli
    printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort
}

expect() { # expect DESCRIPTION EXPECTED-LINES WORDS...
    local what=$1 want=$2
    shift 2
    local got
    got=$(complete_words "$@")
    checks=$((checks + 1))
    if [ "$got" != "$want" ]; then
        failures=$((failures + 1))
        printf 'FAIL: %s\n  words: %s\n  want: %s\n  got:  %s\n' "$what" "$*" "${want//$'\n'/ }" "${got//$'\n'/ }"
    fi
}

contains() { # contains DESCRIPTION WORD WORDS...
    local what=$1 word=$2
    shift 2
    checks=$((checks + 1))
    if ! complete_words "$@" | grep -qxF -- "$word"; then
        failures=$((failures + 1))
        printf 'FAIL: %s: %s not offered for: %s\n' "$what" "$word" "$*"
    fi
}

lacks() { # lacks DESCRIPTION WORD WORDS...
    local what=$1 word=$2
    shift 2
    checks=$((checks + 1))
    if complete_words "$@" | grep -qxF -- "$word"; then
        failures=$((failures + 1))
        printf 'FAIL: %s: %s offered for: %s\n' "$what" "$word" "$*"
    fi
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/saved/COM1-1" "$work/sachen" "$work/old"
touch "$work/saved.par" "$work/SICHER.PAR" "$work/sample.prg" "$work/sample.txt"
cd "$work" || exit 1

# Commands.
expect "commands beginning with s" $'scan\nset' zynt-cli s
expect "commands beginning with r" $'recover\nreport\nrestore' zynt-cli r
expect "a command after an option and its value" $'ports\nprogram' zynt-cli --port COM2 p
expect "a command after an option given with =" $'ports\nprogram' zynt-cli --port = COM2 p
expect "nothing after a command that takes no argument" "" zynt-cli scan ""
expect "program's first argument" $'read\nwrite' zynt-cli program ""

# The port's values, as a separate word, after = split off, and whole.
expect "ports for --port" $'COM1\nCOM2\nCOM3\nCOM4' zynt-cli --port ""
expect "ports for --port=" $'COM1\nCOM2\nCOM3\nCOM4' zynt-cli --port = ""
expect "port after --port= split off, begun" "COM3" zynt-cli backup --port = COM3
expect "ports for --port=C in one word" $'--port=COM1\n--port=COM2\n--port=COM3\n--port=COM4' zynt-cli --port=C
expect "a device path for --port" "$work/saved.par" zynt-cli --port "$work/saved.p"
expect "rates for --baud beginning with 1" $'1200\n19200' zynt-cli --baud 1
expect "languages" $'de\nen' zynt-cli report saved --language ""
expect "no guess for an address" "" zynt-cli --address ""

# Folders and files.
expect "backup folder: folders only" $'sachen\nsaved' zynt-cli backup sa
expect "report: a backup folder" $'sachen\nsaved' zynt-cli report sa
expect "report --against: folders only" "old" zynt-cli report saved --against o
expect "restore: folders and parameter files" $'sachen\nsaved\nsaved.par' zynt-cli restore s
expect "diff: folders and parameter files" $'sachen\nsaved\nsaved.par' zynt-cli diff s
expect "diff: a parameter file in capitals" "SICHER.PAR" zynt-cli diff S
expect "diff: no other file" "" zynt-cli diff sample
expect "program write: folders and program files" $'sachen\nsample.prg\nsaved' zynt-cli program write sa
expect "a folder's drive folders" "saved/COM1-1" zynt-cli restore saved/
expect "--backup-to: folders" $'sachen\nsaved' zynt-cli set P41=1 --backup-to sa
expect "only one backup folder" "" zynt-cli backup saved ""

# Options: the command's own and the common ones, not another command's.
contains "backup's own option" --all zynt-cli backup saved --
contains "a common option with a command" --quiet zynt-cli backup saved --
lacks "restore's option with backup" --force zynt-cli backup saved --
contains "restore's option" --dry-run zynt-cli restore saved --d
contains "report's option" -o zynt-cli report saved -
lacks "report's option without report" --against zynt-cli -
expect "--ver..." "--version" zynt-cli --ver

# Every command and option that zynt-cli names in its usage.
usage=$("$cli" --help 2>&1)
if [ -z "$usage" ]; then
    echo "FAIL: $cli --help printed nothing"
    exit 1
fi
commands=$(printf '%s\n' "$usage" | sed -n '/^commands:/,/^$/s/^  \([a-z][a-z]*\) .*/\1/p; /^commands:/,/^$/s/^  \([a-z][a-z]*\)$/\1/p' | sort -u)
[ -n "$commands" ] || { echo "FAIL: no commands found in the usage"; exit 1; }
for command in $commands; do
    contains "a command of the usage" "$command" zynt-cli "${command:0:1}"
done
options=$(printf '%s\n' "$usage" | grep -o -- '--[a-z][a-z-]*' | sort -u)
for option in $options; do
    found=0
    for command in "" $commands; do
        if [ -n "$command" ]; then words=(zynt-cli "$command" "$option"); else words=(zynt-cli "$option"); fi
        complete_words "${words[@]}" | grep -qxF -- "$option" && found=1 && break
    done
    checks=$((checks + 1))
    if [ $found -eq 0 ]; then
        failures=$((failures + 1))
        echo "FAIL: $option, named in the usage, is never completed"
    fi
done

echo "$((checks - failures)) passed, $failures failed"
[ $failures -eq 0 ]
