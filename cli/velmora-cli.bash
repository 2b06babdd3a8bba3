# bash completion for velmora-cli and velmora. The commands and their options are read from
# velmora-cli's own help, so that the completion always matches the program installed.

_velmora_cli() {
  local cur prev program command word i
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD - 1]}
  program=${COMP_WORDS[0]}
  command=
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    case $word in
      -*) ;;
      *) command=$word; break ;;
    esac
  done

  if [ -z "$command" ]; then
    if [[ $cur == -* ]]; then
      mapfile -t COMPREPLY < <(compgen -W '--large-pictures --quiet --threads --help --version' -- "$cur")
    else
      mapfile -t COMPREPLY < <(compgen -W "help $("$program" --help 2>/dev/null |
        sed -n '/^commands:/,$ s/^  \([a-z-]*\) .*/\1/p')" -- "$cur")
    fi
    return
  fi

  if [ "$command" = help ]; then
    mapfile -t COMPREPLY < <(compgen -W "$("$program" --help 2>/dev/null |
      sed -n '/^commands:/,$ s/^  \([a-z-]*\) .*/\1/p')" -- "$cur")
    return
  fi
  local usage
  usage=$("$program" help "$command" 2>/dev/null) || return
  # A value option waits for its value: offer nothing but files.
  if [[ $prev == --* ]] && grep -qE -- "$prev [^[]" <<<"$usage"; then
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    return
  fi
  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$(grep -oE -- '--[a-z-]+' <<<"$usage" | sort -u)
      --large-pictures --quiet --threads --help" -- "$cur")
  else
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  fi
}

_velmora() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W '--new-instance --help --version' -- "$cur")
  else
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  fi
}

complete -o filenames -F _velmora_cli velmora-cli
complete -o filenames -F _velmora velmora
