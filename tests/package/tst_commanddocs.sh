#!/usr/bin/env bash
# The manual page and the bash completion hold every command, action and
# option that `quire --help` offers, and the completion offers no command that
# does not exist; the manual renders without warnings.
#
#   tst_commanddocs.sh QUIRE_BINARY RESOURCES_DIR
set -euo pipefail

quire=$1
manpage=$2/quire.1
completion=$2/quire.bash-completion
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
help=$(env -i HOME="$home" XDG_DATA_HOME="$home" XDG_CONFIG_HOME="$home" "$quire" --help)

# One line per entry of the help's command list: "COMMAND ACTION OPTION...",
# ACTION "-" for a command without actions; "- - OPTION" for quire's own.
entries=$(awk '
    /^Commands:/ { inside = 1; next }
    inside && /^$/ { inside = 0 }
    !inside { next }
    /^  [^ ]/ { if (entry != "") print describe(entry); entry = $0; next }
    { entry = entry " " $0 }
    END { if (entry != "") print describe(entry) }
    function describe(text,    words, n, i, head, options, seen) {
        sub(/^ +/, "", text)
        n = split(text, words, /[][|= ]+/)
        head = words[1] ~ /^--/ ? "- -" : words[1] " " (words[2] ~ /^[a-z][a-z-]*$/ ? words[2] : "-")
        for (i = 1; i <= n; i++)
            if (words[i] ~ /^--[a-z][a-z-]*$/ && !(words[i] in seen)) {
                seen[words[i]] = 1
                options = options " " words[i]
            }
        return head options
    }' <<<"$help")
[[ $entries == *"list - --json"* ]] || { echo "FAIL: cannot read the help text:" >&2; echo "$help" >&2; exit 1; }

# The manual's synopsis as plain text, one line per form (continuations joined).
synopsis=$(sed -n '/^\.SH SYNOPSIS/,/^\.SH /p' "$manpage" | grep -v '^\.' \
    | sed -e 's/\\f[BIRP]//g' -e 's/\\-/-/g' \
    | awk '/^quire/ { if (line != "") print line; line = $0; next } { line = line " " $0 }
           END { print line }' | tr -s ' ')
commandsSection=$(sed -n '/^\.SH COMMANDS/,/^\.SH /p' "$manpage")
optionsSection=$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$manpage" | sed -e 's/\\-/-/g')

haveCompletion=false
if [[ -f /usr/share/bash-completion/bash_completion ]]; then
    # shellcheck disable=SC1091
    source /usr/share/bash-completion/bash_completion
    # shellcheck disable=SC1090
    source "$completion"
    haveCompletion=true
else
    echo "bash-completion is not installed: the completion is not checked"
fi
# What the completion offers for a command line ending where the cursor is,
# split into words as bash splits them (":" and "=" are words of their own).
complete_line() {
    COMP_LINE=$1
    COMP_POINT=${#COMP_LINE}
    mapfile -t COMP_WORDS < <(grep -o '[^ :=]\+\|[:=]' <<<"$COMP_LINE")
    [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _quire quire "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    echo " ${COMPREPLY[*]} "
}

commands=" "
while read -r command action options; do
    if [[ $command == - ]]; then
        for option in $options; do
            grep -q -- "$option" <<<"$optionsSection" || fail "the manual's OPTIONS lacks $option"
            ! $haveCompletion || [[ $(complete_line "quire -") == *" $option "* ]] \
                || fail "the completion does not offer quire $option"
        done
        continue
    fi
    commands+="$command "
    form="quire $command"
    [[ $action != - ]] && form+=" $action"
    line=$(grep -E "^$form( |\$)" <<<"$synopsis" || true)
    if [[ -z $line ]]; then
        fail "the manual's SYNOPSIS lacks '$form'"
    else
        for option in $options; do
            [[ " $line " == *" $option "* || " $line " == *"[$option "* || " $line " == *"[$option]"* ]] \
                || fail "the manual's SYNOPSIS of '$form' lacks $option"
        done
    fi
    grep -qx "\.B $command" <<<"$commandsSection" || fail "the manual's COMMANDS lacks $command"

    $haveCompletion || continue
    [[ $(complete_line "quire ") == *" $command "* ]] || fail "the completion does not offer $command"
    prefix="quire $command "
    if [[ $action != - ]]; then
        [[ $(complete_line "$prefix") == *" $action "* ]] \
            || fail "the completion does not offer '$command $action'"
        prefix+="$action "
    fi
    offered=$(complete_line "$prefix--")
    for option in $options; do
        [[ $offered == *" $option "* ]] || fail "the completion does not offer $option after '$prefix'"
    done
done <<<"$entries"

if $haveCompletion; then
    for offered in $(complete_line "quire "); do
        [[ $commands == *" $offered "* ]] || fail "the completion offers '$offered', which quire does not know"
    done
fi

# `dirs remove` offers the stored folders as they are, however they are named.
if $haveCompletion; then
    hostile="$home/scan \$(touch $home/expanded)"
    mkdir -p "$hostile"
    bin=$(dirname "$quire")
    quire() { env -i HOME="$home" XDG_DATA_HOME="$home" XDG_CONFIG_HOME="$home" "$bin/quire" "$@"; }
    quire dirs add "$hostile" >/dev/null
    offered=$(complete_line "quire dirs remove $home/sc")
    [[ $offered == " $hostile " ]] || fail "the completion of 'dirs remove' offers '$offered', not '$hostile'"
    [[ ! -e $home/expanded ]] || fail "the completion ran a command found in a folder's name"
fi

if command -v man >/dev/null; then
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$manpage" 2>&1 >/dev/null || true)
    [[ -z $warnings ]] || fail "the manual renders with warnings: $warnings"
else
    echo "man is not installed: the manual was not rendered"
fi

[[ $failures -eq 0 ]] || exit 1
echo "PASS: $(wc -l <<<"$entries") command forms in the manual and the completion"
