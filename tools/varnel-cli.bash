# bash completion for varnel-cli: subcommands, options, code page names and formats.
_varnel_cli()
{
    local cur prev command word i
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    # The command is the first word that is neither an option nor an
    # option's value; options may come before it.
    command=
    word=0
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            -o|--output|--output-dir|-j|--jobs|--code-page|--codes|--to) ((i++)) ;;
            -*) ;;
            *) command=${COMP_WORDS[i]}; word=${i}; break ;;
        esac
    done

    local code_pages="unicode euc-kr euc_kr euckr uhc cp949 949 big5 cp950 950 gbc gbk gb2312 cp936 936 shift-jis shift_jis sjis cp932 932"
    case ${prev} in
        --code-page)
            COMPREPLY=($(compgen -W "${code_pages}" -- "${cur}"))
            return ;;
        --to)
            COMPREPLY=($(compgen -W "fnt shx shp" -- "${cur}"))
            return ;;
        -j|--jobs|--codes)
            COMPREPLY=()
            return ;;
        -o|--output|--output-dir)
            COMPREPLY=($(compgen -f -- "${cur}"))
            return ;;
    esac

    local options files
    case ${command} in
        help)
            [[ ${COMP_CWORD} -eq $((word + 1)) ]] && COMPREPLY=($(compgen -W "inspect preview" -- "${cur}"))
            return ;;
        inspect)
            options="--json -r --recursive --code-page -h --help --help-all"
            files='!*.@(shx|SHX|shp|SHP|fnt|FNT)' ;;
        preview)
            options="-o --output --codes --code-page -h --help --help-all"
            files='!*.@(shx|SHX|shp|SHP|fnt|FNT)' ;;
        *)
            options="-o --output --output-dir --to -r --recursive -n --no-clobber -u --update -q --quiet --verbose --json -j --jobs --code-page -v --version -h --help"
            files='!*.@(shx|SHX|shp|SHP|fnt|FNT)' ;;
    esac

    if [[ ${cur} == -* ]]; then
        COMPREPLY=($(compgen -W "${options}" -- "${cur}"))
    elif [[ -z ${command} ]]; then
        COMPREPLY=($(compgen -W "inspect preview help" -- "${cur}") $(compgen -f -X "${files}" -- "${cur}") $(compgen -d -- "${cur}"))
    else
        COMPREPLY=($(compgen -f -X "${files}" -- "${cur}") $(compgen -d -- "${cur}"))
    fi
}
complete -o filenames -F _varnel_cli varnel-cli
