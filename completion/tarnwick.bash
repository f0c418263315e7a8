# Bash completion for tarnwick: its options, the crystal frequencies of -c
# and file names. Installed as share/bash-completion/completions/tarnwick.

_tarnwick()
{
	local cur=${COMP_WORDS[COMP_CWORD]}
	local prev=${COMP_WORDS[COMP_CWORD - 1]}
	COMPREPLY=()
	case $prev in
	-c)
		COMPREPLY=($(compgen -W '4 8 12 16 20' -- "$cur"))
		return
		;;
	-a | -b | -p | --fill)
		return # a name or a number: nothing to offer
		;;
	esac
	case $cur in
	--fill=*)
		return
		;;
	-*)
		COMPREPLY=($(compgen -W '-a -b -c -e -h -i -p -s -t --binary --fill=
			--help --version' -- "$cur"))
		[[ ${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null
		return
		;;
	esac
	compopt -o filenames 2>/dev/null
	COMPREPLY=($(compgen -f -- "$cur"))
}
complete -F _tarnwick tarnwick
