# Bash completion of sorvane-cli: the program says what may come after the words typed so far
# (sorvane-cli --complete WORDS...), from its own tables of commands and options: a line of
# words to choose from, ":options WORDS" for a word that begins with -, ":files [EXTENSION]"
# or ":dirs".
_sorvane_cli() {
    local cur prev words cword line
    _init_completion || return
    COMPREPLY=()
    while IFS= read -r line; do
        case $line in
            :options*) [[ $cur == -* ]] && COMPREPLY+=($(compgen -W "${line#:options}" -- "$cur")) ;;
            :dirs) _filedir -d ;;
            :files*) [[ $cur == -* ]] || _filedir ${line#:files} ;;
            *) COMPREPLY+=($(compgen -W "$line" -- "$cur")) ;;
        esac
    done < <("${words[0]}" --complete "${words[@]:1:cword-1}" 2>/dev/null)
}
complete -F _sorvane_cli sorvane-cli
