#!/usr/bin/env bash
# Runs the bash completion of sonatag-cli (the script given) over a table of command lines.
set -uo pipefail
source "$1"
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" && mkdir music && touch a.mp3 B.MP3 notes.txt '晴 天.mp3' -- -x.mp3

# The command line up to the cursor (the last word is the one completed) | the sorted completions.
cases=(
    "sonatag-cli |--help --version repair set show undo"
    "sonatag-cli show -|-- --files-from --help --id3v2 --jobs --json --null --recursive -0 -j -r"
    "sonatag-cli show |-x.mp3 B.MP3 a.mp3 music 晴 天.mp3"
    "sonatag-cli set --journal n|notes.txt"
    "sonatag-cli show --files-from |-x.mp3 B.MP3 a.mp3 music notes.txt 晴 天.mp3"
)
failures=0
for entry in "${cases[@]}"; do
    line=${entry%%|*} expected=${entry#*|}
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=() && _sonatag_cli
    actual=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd' ')
    [[ $actual == "$expected" ]] || { echo "FAIL: '$line' gives '$actual', not '$expected'" >&2; failures=1; }
done
exit $failures
