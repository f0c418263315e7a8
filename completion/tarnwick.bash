# Bash completion for tarnwick: its options, the crystal frequencies of -c
# and file names. Installed as share/bash-completion/completions/tarnwick.
#
# The line is read as tarnwick's option scanner reads it: options may stand
# anywhere, before, between or behind the file names; short options may be
# grouped (-si) and take their value in the same word (-c8); long options may
# be abbreviated (--inf); -- ends the options. Of the options, only those
# that the mode on the line (--info, --verify, --extract) takes are offered.

# Every option, as tarnwick --help lists them: -c for "-c MHz", --fill= for
# "--fill=HH", an option that takes its value behind "=".
_tarnwick_options='-a -b -c -e -h -i -p -s -t --binary --eeprom-size= --extract --fill=
	--help --info --json --map --serial= --serial-counter= --serial-log= --serial-number=
	--set= --srec --verify --version'

_tarnwick()
{
	local cur=${COMP_WORDS[COMP_CWORD]} prefix='' word long rest letter i o
	local arg='' value='' ends='' mode='' short='' drop='' keep='' only=''
	COMPREPLY=()
	for ((i = 1; i < ${#COMP_WORDS[@]}; i++)); do
		word=${COMP_WORDS[i]}
		if [[ $arg ]]; then # the value of the option before it
			((i == COMP_CWORD)) && value=$arg
			# bash splits --fill=HH into the words --fill, = and HH
			[[ $word == = && ${COMP_WORDS[i - 1]} == --* ]] || arg=
			continue
		fi
		[[ $ends || $word != -?* ]] && continue # a file name
		if [[ $word == -- ]]; then
			((i == COMP_CWORD)) || ends=$i
			continue
		fi
		if [[ $word == --* ]]; then
			if ((i == COMP_CWORD)); then
				[[ $word == *=* ]] && value='=' # --fill=HH: nothing to offer
				continue
			fi
			# the long option that the word names, if any
			long=${word:2}
			long=$(compgen -W "$(for o in $_tarnwick_options; do
				[[ $o == --* ]] && o=${o#--} && echo "${o%=}"; done)" -- "${long%%=*}")
			[[ $long == *[[:space:]]* ]] && continue # ambiguous
			case $long in
			info | verify | extract) mode=$long ;;
			# options that a conversion alone takes, or --verify too
			srec | serial-counter) only+=' --extract --info --verify' ;;
			set | serial-number | serial-log) only+=' --extract --info' ;;
			esac
			[[ $long == @(fill|eeprom-size|set|serial|serial-*) && $word != *=* ||
				${COMP_WORDS[i + 1]} == = ]] && arg=$long
			continue
		fi
		rest=${word:1}
		while [[ $rest ]]; do # a group of short options
			letter=${rest:0:1} rest=${rest:1}
			((i == COMP_CWORD)) || short+=$letter
			[[ $letter == [abcep] ]] || continue
			if [[ -z $rest ]]; then
				arg=$letter # the value is the next word
			elif ((i == COMP_CWORD)); then
				value=$letter prefix=${word%"$rest"} cur=$rest
			fi
			break
		done
	done
	# behind --, every word is a file name
	[[ $ends ]] && ((COMP_CWORD > ends)) && value=e
	case $value in
	c)
		mapfile -t COMPREPLY < <(compgen -P "$prefix" -W '4 8 12 16 20' -- "$cur")
		return
		;;
	e | serial-counter | serial-log) ;; # a file name
	?*)
		return # a name, a number or a byte: nothing to offer
		;;
	*)
		if [[ $cur == -* ]]; then
			case $mode in
			info | extract)
				drop='-a -c -e -s --srec --set= --serial-counter= --serial-log= --serial-number='
				;;
			verify) drop='-a --srec --serial-counter=' ;;
			esac
			# one mode a line; --json and --map only with a mode
			if [[ $mode ]]; then
				drop+=' --extract --info --verify'
			else
				drop+=' --json --map'
			fi
			[[ $short == *[aces]* ]] && drop+=' --extract --info'
			[[ $short == *a* ]] && drop+=' --verify'
			drop+=$only
			for o in $_tarnwick_options; do
				[[ " $drop " == *" $o "* ]] || keep+=" $o"
			done
			mapfile -t COMPREPLY < <(compgen -W "$keep" -- "$cur")
			[[ ${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null
			return
		fi
		;;
	esac
	# one file name a line, so that a name may hold blanks, and no * or ?
	# in it is expanded; bash quotes the names and gives directories their
	# slash
	compopt -o filenames 2>/dev/null
	mapfile -t COMPREPLY < <(compgen -P "$prefix" -f -- "$cur")
}
complete -F _tarnwick tarnwick
