# bash completion for qovaigc: its commands, each command's options, the tools of `history`,
# the values an option takes, and files and folders where an argument names one.
# Installed as share/bash-completion/completions/qovaigc; to try it from the source tree:
#   source apps/cli/qovaigc.bash

_qovaigc_commands="write history dub paint extract duration subtitles captions translate mux localize account help"
_qovaigc_folder_options="--app-dir --config-dir --work-dir"
_qovaigc_tools="painting dubbing subtitles copywriting translate"

# The options of one command (--json and --help every command takes); --clear is a flag.
_qovaigc_options()
{
    case $1 in
        write) echo "--from --encoding --jobs --timeout" ;;
        history) echo "--from --to" ;;
        dub) echo "--from --srt --encoding --output --jobs --voice --speed --pitch --volume --format --timeout" ;;
        paint) echo "--from --encoding --jobs --size --count --reference --timeout" ;;
        extract) echo "--output-dir --jobs --start --end --codec --channels --rate --bits" ;;
        subtitles) echo "--jobs --engine --model --start --end --timeout --max-chars --max-lines --max-seconds --format" ;;
        captions) echo "--output --encoding --max-chars --max-lines --max-seconds --format" ;;
        translate) echo "--to --from --glossary --output --encoding --jobs --timeout --max-chars --max-lines --max-seconds --format" ;;
        mux) echo "--audio --mix --duck-db --subtitles --burn --loudness --output" ;;
        localize) echo "--to --from --engine --model --glossary --voice --speed --pitch --volume --jobs --timeout --max-chars --max-lines --max-seconds --output --fresh" ;;
        account) echo "--id --key --clear" ;;
    esac
}

_qovaigc_files()
{
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -f -- "$1")
}

_qovaigc()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev_index=$((COMP_CWORD - 1))
    # "--codec=mp" arrives as "--codec" "=" "mp": the option is the word before the "=".
    if [[ $cur == "=" ]]; then
        cur=""
    elif [[ ${COMP_WORDS[prev_index]} == "=" ]]; then
        prev_index=$((prev_index - 1))
    fi
    local prev=${COMP_WORDS[prev_index]}
    COMPREPLY=()

    # The command is the first word that is neither an option nor an option's value; the words
    # after it that are neither count as its arguments.
    local i command="" arguments=0 output_dir=""
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            --json | --help | -h | --clear | --fresh) ;;
            --*)
                [[ ${COMP_WORDS[i]} == --output-dir* ]] && output_dir=1
                if [[ ${COMP_WORDS[i + 1]} == "=" ]]; then
                    ((i += 2))
                elif [[ ${COMP_WORDS[i]} != *=* ]]; then
                    ((i += 1))
                fi ;;
            *)
                if [[ -z $command ]]; then
                    command=${COMP_WORDS[i]}
                else
                    ((arguments += 1))
                fi ;;
        esac
    done

    case $prev in
        --app-dir | --config-dir | --work-dir | --output-dir)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            return ;;
        --reference | --srt | --glossary | --audio | --subtitles | --burn) _qovaigc_files "$cur"; return ;;
        # history's --from is a date, translate's a language; the others' a file of one item a line
        --from) [[ $command != history && $command != translate ]] && _qovaigc_files "$cur"; return ;;
        --to) [[ $command == translate ]] && mapfile -t COMPREPLY < <(compgen -W "en es zh fr de ja" -- "$cur"); return ;;
        --mix) mapfile -t COMPREPLY < <(compgen -W "duck replace add" -- "$cur"); return ;;
        --codec) mapfile -t COMPREPLY < <(compgen -W "mp3 pcm" -- "$cur"); return ;;
        --channels) mapfile -t COMPREPLY < <(compgen -W "1 2" -- "$cur"); return ;;
        --rate) mapfile -t COMPREPLY < <(compgen -W "16000 8000" -- "$cur"); return ;;
        --bits) mapfile -t COMPREPLY < <(compgen -W "16 8" -- "$cur"); return ;;
        --format)
            # dub's audio, or the caption files of subtitles and captions
            local formats="mp3 wav"
            [[ $command == subtitles || $command == captions || $command == translate ]] && formats="srt vtt ass"
            mapfile -t COMPREPLY < <(compgen -W "$formats" -- "$cur")
            return ;;
        --output) _qovaigc_files "$cur"; return ;;
        --size) mapfile -t COMPREPLY < <(compgen -W "640x360 1024x1024" -- "$cur"); return ;;
        --engine) mapfile -t COMPREPLY < <(compgen -W "file cloud" -- "$cur"); return ;;
        --model) mapfile -t COMPREPLY < <(compgen -W "80001 80006 1737" -- "$cur"); return ;;
        --json | --help | -h | --clear | --fresh) ;;
        --*) return ;; # a number or a date: nothing to offer
    esac

    if [[ $cur == -* ]]; then
        local options="$_qovaigc_folder_options --help --version"
        [[ -n $command ]] && options="$(_qovaigc_options "$command") --json --help $_qovaigc_folder_options"
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi
    case $command in
        "") mapfile -t COMPREPLY < <(compgen -W "$_qovaigc_commands" -- "$cur") ;;
        help) ((arguments == 0)) && mapfile -t COMPREPLY < <(compgen -W "$_qovaigc_commands" -- "$cur") ;;
        history) ((arguments == 0)) && mapfile -t COMPREPLY < <(compgen -W "$_qovaigc_tools" -- "$cur") ;;
        # extract takes SOURCE DEST, or any number of sources with --output-dir
        extract) ((arguments < 2)) || [[ -n $output_dir ]] && _qovaigc_files "$cur" ;;
        subtitles) _qovaigc_files "$cur" ;;
        duration | captions | translate | mux | localize) ((arguments == 0)) && _qovaigc_files "$cur" ;;
    esac
    return 0
}

complete -F _qovaigc qovaigc
