# bash completion for orvelle-cli: its commands, their options and the values they take.

_orvelle_cli() {
  local cur prev words cword
  if declare -F _init_completion >/dev/null; then
    _init_completion -n = || return
  else
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD - 1]}
    words=("${COMP_WORDS[@]}")
    cword=$COMP_CWORD
  fi

  local commands="info grid render roi diff report"
  local valued="-o --output --type --view --size --roi1 --roi2 --settings --spline --filter
    --normalize --roi-type --roi-size --roi-digits --range --jobs --page --watch --settle --format
    --timeout --shard"
  local common="--settings --no-fill --spline --filter --normalize --type --roi-type --roi-size
    --roi-digits -o --output -h --help"

  # The command is the first word that is neither an option nor an option's value.
  local command="" i word
  for ((i = 1; i < cword; i++)); do
    word=${words[i]}
    if [[ " ${valued//$'\n'/ } " == *" $word "* ]]; then
      ((i++))
    elif [[ $word != -?* ]]; then
      command=$word
      break
    fi
  done

  local pathdir=false
  case $prev in
    --view)
      COMPREPLY=($(compgen -W "colormap contour linegraph 3d" -- "$cur"))
      return
      ;;
    --roi-type)
      COMPREPLY=($(compgen -W "circle square" -- "$cur"))
      return
      ;;
    --page)
      COMPREPLY=($(compgen -W "a4 letter" -- "$cur"))
      return
      ;;
    --format)
      COMPREPLY=($(compgen -W "csv npy gsf" -- "$cur"))
      return
      ;;
    --settings)
      _orvelle_cli_files '' "$cur"
      return
      ;;
    -o | --output | --watch)
      [[ $command == report ]] && pathdir=true
      if $pathdir; then _orvelle_cli_dirs "$cur"; else _orvelle_cli_files '' "$cur"; fi
      return
      ;;
    --type | --size | --roi1 | --roi2 | --spline | --filter | --normalize | --roi-size | \
      --roi-digits | --range | --jobs | --settle | --timeout | --shard)
      return
      ;;
  esac

  if [[ -z $command ]]; then
    if [[ $cur == -* ]]; then
      COMPREPLY=($(compgen -W "-h --help --version" -- "$cur"))
    else
      COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    fi
    return
  fi

  if [[ $cur == -?* ]]; then
    local options=$common
    case $command in
      grid) options+=" --format" ;;
      diff) options="--type --ratio -o --output -h --help" ;;
      render) options+=" --view --size --framed --range" ;;
      roi) options+=" --roi1 --roi2" ;;
      report) options+=" --roi1 --roi2 --range --jobs --all-types --page --quiet --watch --settle
        --resume --timeout --shard --merge --common-range" ;;
    esac
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
    return
  fi
  # report --merge joins folders, not THK files.
  if [[ $command == report && " ${words[*]} " == *" --merge "* ]]; then
    _orvelle_cli_dirs "$cur"
    return
  fi
  _orvelle_cli_files thk "$cur"
}

# Files (only THK files when $1 is thk) and directories to descend into.
_orvelle_cli_files() {
  if declare -F _filedir >/dev/null; then
    if [[ $1 == thk ]]; then _filedir '@(thk|THK)'; else _filedir; fi
    return
  fi
  local IFS=$'\n'
  if [[ $1 == thk ]]; then
    COMPREPLY=($(compgen -d -- "$2") $(compgen -f -X '!*.@(thk|THK)' -- "$2"))
  else
    COMPREPLY=($(compgen -f -- "$2"))
  fi
}

_orvelle_cli_dirs() {
  if declare -F _filedir >/dev/null; then
    _filedir -d
    return
  fi
  local IFS=$'\n'
  COMPREPLY=($(compgen -d -- "$1"))
}

complete -F _orvelle_cli orvelle-cli
