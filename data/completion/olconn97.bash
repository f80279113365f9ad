# bash completion for olconn97.
#
# The commands, each command's operations and its options are read from the
# program's own help ('olconn97 help', 'olconn97 COMMAND --help'), so they
# are always those of the olconn97 being completed; what takes a file or a
# folder falls back to file names.

# The operations a command's help lists in its usage lines:
# "olconn97 cache rebuild|refresh|status", "olconn97 store show FILE", ...
_olconn97_operations() {
  local program=$1 command=$2
  "$program" "$command" --help 2>/dev/null |
    sed -n -E "s/^(usage:)? *(olconn97 )?$command ([a-z]+(\|[a-z]+)*)( .*)?$/\3/p" |
    tr '|' '\n'
}

_olconn97() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local prev=${COMP_WORDS[COMP_CWORD - 1]}
  local program=${COMP_WORDS[0]}
  COMPREPLY=()

  if ((COMP_CWORD == 1)); then
    local commands
    commands=$("$program" help 2>/dev/null | sed -n -E 's/^  ([a-z]+)  .*/\1/p')
    mapfile -t COMPREPLY < <(compgen -W "$commands --help --version" -- "$cur")
    return
  fi

  local command=${COMP_WORDS[1]}
  case $prev in
    --type) mapfile -t COMPREPLY < <(compgen -W "incoming outgoing" -- "$cur"); return ;;
    --match) mapfile -t COMPREPLY < <(compgen -W "national digits" -- "$cur"); return ;;
    --action)
      mapfile -t COMPREPLY < <(compgen -W "open close mail journal launch" -- "$cur")
      return
      ;;
    --store | --into | --from) return ;;  # a file or a folder: readline's own
  esac

  if [[ $cur == -* ]]; then
    local options
    options=$({
      "$program" "$command" --help 2>/dev/null | grep -o -E -- '--[a-z][a-z-]*'
      echo --help
    } | sort -u)
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    return
  fi
  if ((COMP_CWORD == 2)); then
    mapfile -t COMPREPLY < <(compgen -W "$(_olconn97_operations "$program" "$command")" -- "$cur")
  fi
}

complete -o default -F _olconn97 olconn97
