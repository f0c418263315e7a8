# Bash completion for tarnwick: its options, the crystal frequencies of -c
# and file names. Installed as share/bash-completion/completions/tarnwick.
#
# The line is read as tarnwick's option scanner reads it: options may stand
# anywhere, before, between or behind the file names; short options may be
# grouped (-si) and take their value in the same word (-c8); long options may
# be abbreviated (--inf); -- ends the options. Of the options, only those
# that the mode on the line takes are offered, and of the modes only those
# that take every option on the line.

# Every option, as tarnwick --help lists them: -c for "-c MHz", --fill= for
# "--fill=HH", an option that takes its value behind "=".
_tarnwick_options='-a -b -c -e -h -i -p -s -t --binary --diff --dry-run --eeprom-size= --extract
	--fill= --help --info --json --map --page-size= --picture= --serial= --serial-counter=
	--serial-log= --serial-number= --set= --srec --update --verify --version'

# The modes, each a letter and its option: c the conversion, which has
# none, i --info, v --verify, x --extract, d --diff, u --update; and the
# modes that take each option that not every mode takes.
_tarnwick_modes='c: i:--info v:--verify x:--extract d:--diff u:--update'
declare -A _tarnwick_takes=([-a]=c [-b]=civxd [-c]=cvu [-e]=cvu [-s]=cvu [--binary]=civxd
	[--srec]=c [--set=]=cvu [--serial-number=]=cvu [--serial-counter=]=cu [--serial-log=]=cvu
	[--json]=ivxdu [--map]=ivxd [--picture=]=ivxdu [--page-size=]=u [--dry-run]=u)

_tarnwick()
{
	local cur=${COMP_WORDS[COMP_CWORD]} prefix='' word long rest letter i o m
	local arg='' value='' ends='' mode=c keep='' given=''
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
			for m in $_tarnwick_modes; do
				[[ --$long == "${m#*:}" ]] && mode=${m%%:*}
			done
			for o in $_tarnwick_options; do
				[[ $o == "--$long" || $o == "--$long=" ]] && given+=" $o"
			done
			[[ $long == @(fill|eeprom-size|page-size|picture|set|serial|serial-*) && $word != *=* ||
				${COMP_WORDS[i + 1]} == = ]] && arg=$long
			continue
		fi
		rest=${word:1}
		while [[ $rest ]]; do # a group of short options
			letter=${rest:0:1} rest=${rest:1}
			((i == COMP_CWORD)) || given+=" -$letter"
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
	e | picture | serial-counter | serial-log) ;; # a file name
	?*)
		return # a name, a number or a byte: nothing to offer
		;;
	*)
		if [[ $cur == -* ]]; then
			for o in $_tarnwick_options; do
				_tarnwick_offers "$o" "$mode" "$given" && keep+=" $o"
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
# Whether option $1 is offered on a line of mode $2 with the options $3:
# the mode takes it, and when it asks for a mode, no other mode is on the
# line and that mode takes every option on it.
_tarnwick_offers()
{
	local m o
	[[ ${_tarnwick_takes[$1]-$2} == *$2* ]] || return 1
	for m in $_tarnwick_modes; do
		[[ $1 == "${m#*:}" ]] || continue
		[[ $2 == c ]] || return 1
		for o in $3; do
			[[ ${_tarnwick_takes[$o]-${m%%:*}} == *${m%%:*}* ]] || return 1
		done
	done
	return 0
}
complete -F _tarnwick tarnwick
