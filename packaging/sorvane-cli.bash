# Bash completion of sorvane-cli: its commands, their options and their choices.
_sorvane_cli() {
    local cur prev words cword
    _init_completion || return
    local commands="init scan add remove sort clear clear-detected generate font compiler language show import-font import-bdf preview"
    local i command=""
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            -C) ((i++)) ;;
            -*) ;;
            *) command=${words[i]}; break ;;
        esac
    done
    if [[ $prev == -C ]]; then
        _filedir -d
        return
    fi
    case $command in
        "") COMPREPLY=($(compgen -W "$commands -C --help --version" -- "$cur")) ;;
        init) _filedir -d ;;
        scan)
            if [[ $prev == --encoding ]]; then
                COMPREPLY=($(compgen -W "utf-8 shift_jis cp932 euc-jp iso-2022-jp" -- "$cur"))
            elif [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--encoding --add" -- "$cur"))
            else
                _filedir
            fi ;;
        generate)
            case $prev in
                --max-bytes) ;;
                --half-width) COMPREPLY=($(compgen -W "none ascii kana all" -- "$cur")) ;;
                --key) COMPREPLY=($(compgen -W "none sjis unicode" -- "$cur")) ;;
                --image) _filedir ;;
                *) if [[ $cur == -* ]]; then COMPREPLY=($(compgen -W "--max-bytes --strict --half-width --key --image --no-image" -- "$cur")); else _filedir inc; fi ;;
            esac ;;
        font) COMPREPLY=($(compgen -W "k14 jiskan16 jiskan24" -- "$cur")) ;;
        compiler) COMPREPLY=($(compgen -W "xc32 cc-rh c99" -- "$cur")) ;;
        language) COMPREPLY=($(compgen -W "ja en" -- "$cur")) ;;
        import-font | import-bdf)
            case $prev in
                --size) COMPREPLY=($(compgen -W "14 16 24" -- "$cur")) ;;
                --bit-order) COMPREPLY=($(compgen -W "lsb-left msb-left" -- "$cur")) ;;
                -o | --face) ;;
                --half) _filedir ;;
                *) if [[ $cur == -* ]]; then COMPREPLY=($(compgen -W "-o --size --face --bit-order --half" -- "$cur")); else _filedir; fi ;;
            esac ;;
        preview)
            case $prev in
                --bit-order) COMPREPLY=($(compgen -W "lsb-left msb-left" -- "$cur")) ;;
                --encoding) COMPREPLY=($(compgen -W "utf-8 shift_jis cp932 euc-jp iso-2022-jp" -- "$cur")) ;;
                -o) _filedir png ;;
                *) if [[ $cur == -* ]]; then COMPREPLY=($(compgen -W "-o --text --encoding --bit-order" -- "$cur")); else _filedir; fi ;;
            esac ;;
    esac
}
complete -F _sorvane_cli sorvane-cli
