# bash completion for varnel-cli: subcommands, options and code page names.
_varnel_cli()
{
    local cur prev command
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    command=
    [[ ${COMP_CWORD} -gt 1 ]] && command=${COMP_WORDS[1]}

    local code_pages="unicode euc-kr euc_kr euckr uhc cp949 949 big5 cp950 950 gbc gbk gb2312 cp936 936 shift-jis shift_jis sjis cp932 932"
    case ${prev} in
        --code-page)
            COMPREPLY=($(compgen -W "${code_pages}" -- "${cur}"))
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
        inspect)
            options="--json -r --recursive --code-page -h --help --help-all"
            files='!*.@(shx|SHX|fnt|FNT)' ;;
        preview)
            options="-o --output --codes --code-page -h --help --help-all"
            files='!*.@(shx|SHX|fnt|FNT)' ;;
        *)
            options="-o --output --output-dir -r --recursive -n --no-clobber -u --update -q --quiet --verbose --json -j --jobs --code-page -v --version -h --help --help-all"
            files='!*.@(shx|SHX)' ;;
    esac

    if [[ ${cur} == -* ]]; then
        COMPREPLY=($(compgen -W "${options}" -- "${cur}"))
    elif [[ ${COMP_CWORD} -eq 1 ]]; then
        COMPREPLY=($(compgen -W "inspect preview" -- "${cur}") $(compgen -f -X "${files}" -- "${cur}") $(compgen -d -- "${cur}"))
    else
        COMPREPLY=($(compgen -f -X "${files}" -- "${cur}") $(compgen -d -- "${cur}"))
    fi
}
complete -o filenames -F _varnel_cli varnel-cli
