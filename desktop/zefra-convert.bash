# bash completion for zefra-convert
_zefra_convert() {
  local cur prev words cword split
  _init_completion -s || return

  case $prev in
    --dictionary)
      _filedir
      return
      ;;
    --jobs)
      COMPREPLY=($(compgen -W "$(nproc 2>/dev/null || echo 1)" -- "$cur"))
      return
      ;;
    --chat | --tashdid | --suffix | --polite | --english | --treat-ae | --smart | --modern)
      # These take their value only after "=".
      if $split; then
        COMPREPLY=($(compgen -W 'on off' -- "$cur"))
        return
      fi
      ;;
  esac
  $split && return

  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W '--dictionary --no-dictionary --chat= --tashdid= --suffix=
      --polite= --english= --treat-ae= --smart= --modern= --cp1256 --jobs --progress --help
      --version' -- "$cur"))
    [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
    return
  fi
  _filedir
} &&
  complete -F _zefra_convert zefra-convert
