# bash completion for mivo and mivo-catalogue.
#
# Commands and options are read from the program's own --help when completing,
# so they follow the program that is installed: the commands are the first
# words of the least indented lines of its "commands:" block, the options every --word (and
# -x) it names. An option shown with DIR takes a folder name, with FILE or PATH
# a file name; after "help" come the command names, and after a command whose
# synopsis ends in PATH... file names.

# The commands listed in the help text on stdin, one a line.
_mivo_commands() {
    awk 'tolower($0) ~ /^commands:/ { inside = 1; indent = 0; next }
         /^[^ ]/ || /^$/ { inside = 0 }
         inside && match($0, /^ +[a-z]/) { if (!indent) indent = RLENGTH; if (RLENGTH == indent) print $1 }'
}

# The options named in the help text on stdin, each once.
_mivo_options() {
    grep -oE -- '(^|[ ,[])--?[a-zA-Z][-a-zA-Z]*' | sed 's/^[ ,[]*//' | sort -u
}

# Whether command $1 takes file names, as the help text on stdin shows its synopsis.
_mivo_takes_paths() {
    awk -v command="$1" '$1 == command && / PATH\.\.\.$/ { found = 1 } END { exit !found }'
}

# The placeholder the help text on stdin shows after option $1 (DIR, FILE, ...).
_mivo_value() {
    grep -oE -- "(^|[ ,[])$1[ =][A-Z][A-Z_:]*" | head -n 1 | sed 's/.*[ =]//'
}

_mivo() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    local help
    help=$("${COMP_WORDS[0]}" --help 2>/dev/null)
    COMPREPLY=()

    if [[ $COMP_CWORD -gt 1 && $prev =~ ^--?[a-zA-Z][-a-zA-Z]*$ ]]; then
        case $(_mivo_value "$prev" <<<"$help") in
        DIR) compopt -o filenames 2>/dev/null; mapfile -t COMPREPLY < <(compgen -d -- "$cur"); return ;;
        FILE | PATH) compopt -o filenames 2>/dev/null; mapfile -t COMPREPLY < <(compgen -f -- "$cur"); return ;;
        ?*) return ;;
        esac
    fi
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_mivo_options <<<"$help")" -- "$cur")
        return
    fi

    # The command is the first word that is neither an option nor an option's value.
    local i word command=
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ $word == -* ]]; then
            [[ -n $(_mivo_value "$word" <<<"$help") ]] && ((i++))
        elif [[ -z $command ]]; then
            command=$word
        fi
    done
    if [[ -z $command || ($command == help && $prev == help) ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_mivo_commands <<<"$help")" -- "$cur")
    elif _mivo_takes_paths "$command" <<<"$help"; then
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}

complete -F _mivo mivo mivo-catalogue
