# bash completion for sonatag-cli                                  -*- shell-script -*-
# Self-contained: needs none of bash-completion's helper functions.

_sonatag_cli() {
    # The options of each command. An option that takes a value is listed in the case below.
    local -A options=(
        [show]="--json --id3v2 -r --recursive --files-from -0 --null -j --jobs --help --"
        [set]="--title --title-from-name --artist --album --id3v2 --dry-run --journal
               -r --recursive --files-from -0 --null -j --jobs --help --"
        [undo]="--help"
        [repair]="--dry-run --journal -r --recursive --files-from -0 --null -j --jobs --help --"
    )
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local valueIndex=$((COMP_CWORD - 1))
    # "--option=value" arrives as three words when '=' is a word break.
    if [[ $cur == = ]]; then
        cur="" valueIndex=$((COMP_CWORD - 1))
    elif [[ $prev == = ]]; then
        valueIndex=$((COMP_CWORD - 2))
    fi
    local option=${COMP_WORDS[valueIndex]}
    COMPREPLY=()

    if ((COMP_CWORD == 1)); then
        mapfile -t COMPREPLY < <(compgen -W "show set undo repair --help --version" -- "$cur")
        return
    fi
    local command=${COMP_WORDS[1]}
    [[ -v "options[$command]" ]] || return

    case $option in
        --journal | --files-from)
            _sonatag_cli_files all "$cur"
            return
            ;;
        --title | --artist | --album | -j | --jobs)
            return
            ;;
    esac

    local i
    for ((i = 2; i < COMP_CWORD; i++)); do
        [[ ${COMP_WORDS[i]} == -- ]] && break
    done
    if ((i == COMP_CWORD)) && [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "${options[$command]}" -- "$cur")
        return
    fi
    if [[ $command == undo ]]; then
        _sonatag_cli_files all "$cur"
    else
        _sonatag_cli_files mp3 "$cur"
    fi
}

# Completes file names: every file, or only folders and names ending in .mp3 in any case.
_sonatag_cli_files() {
    local which=$1 cur=$2 name
    compopt -o filenames 2>/dev/null
    while IFS= read -r name; do
        if [[ $which == all || -d $name || ${name,,} == *.mp3 ]]; then
            COMPREPLY+=("$name")
        fi
    done < <(compgen -f -- "$cur")
}

complete -F _sonatag_cli sonatag-cli
