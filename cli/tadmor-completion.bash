# bash completion for tadmor: the commands, their options and the input
# names after --set and --vary, all read from tadmor's own --help.
_tadmor() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local program=${COMP_WORDS[0]} command=${COMP_WORDS[1]}
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        local commands
        commands=$("$program" --help 2>/dev/null | awk '/^Subcommands:/ {s = 1; next} s && NF {print $1} s && !NF {exit}')
        mapfile -t COMPREPLY < <(compgen -W "$commands --help" -- "$cur")
        return
    fi
    case $prev in
        --set | --vary)
            local names
            names=$("$program" run --help 2>/dev/null | awk '/^Inputs / {s = 1; next} s && NF {print $1 "="} s && !NF {exit}')
            mapfile -t COMPREPLY < <(compgen -W "$names" -- "$cur")
            compopt -o nospace 2>/dev/null
            return
            ;;
        --format | --plot-value | --jobs | --shard | --decimal-separator)
            return
            ;;
    esac
    if [[ $cur == -* ]]; then
        local options
        options=$("$program" "$command" --help 2>/dev/null | grep -oE '(^|[ ,])--?[A-Za-z][A-Za-z-]*' | tr -d ' ,' | sort -u)
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    else
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}
complete -o filenames -F _tadmor tadmor
