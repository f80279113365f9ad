#!/usr/bin/env bash
# The manual page and the bash completion cover what the program offers:
# every command that 'olconn97 help' lists has a subsection of the manual
# naming every option of its --help, and Tab offers each command, the
# operations of its usage lines and its options. The manual renders without
# a warning.
#
#   tests/package/manual_test.sh OLCONN97 MANUAL COMPLETION
set -euo pipefail

host=$1
manual=$2
completion=$3
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# What Tab offers after the words given, the last being the one completed.
# shellcheck source=/dev/null
source "$completion"
completions() {
  COMP_WORDS=("$host" "$@")
  COMP_CWORD=$#
  COMPREPLY=()
  _olconn97
  printf '%s\n' "${COMPREPLY[@]}"
}
offers() {  # WORD COMPLETIONS...: whether Tab offers WORD
  local word=$1 offered
  shift
  offered=$(completions "$@")
  grep -qxF -- "$word" <<<"$offered"
}

# The manual's subsections of one command (a command may have several, one
# a form), or for 'help' the whole page, with troff's \- read as -.
manual_text() {
  local command=$1
  if [ "$command" = help ]; then
    sed 's/\\-/-/g' "$manual"
  else
    awk -v command="$command" '
      /^\.S[SH] / { inside = ($1 == ".SS" && ($2 == command || $2 == "\"" command)) }
      inside' "$manual" | sed 's/\\-/-/g'
  fi
}

commands=$("$host" help | sed -n -E 's/^  ([a-z]+)  .*/\1/p')
[ -n "$commands" ] || fail "'olconn97 help' lists no command"
operations_seen=0
for command in $commands; do
  text=$(manual_text "$command")
  [ -n "$text" ] || fail "the manual has no subsection for '$command'"
  offers "$command" "${command:0:1}" || fail "Tab does not offer '$command'"
  help=$("$host" "$command" --help)
  for option in $(grep -o -E -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
    grep -qF -- "$option" <<<"$text" || fail "the manual does not name '$command $option'"
    [ "$command" = help ] || offers "$option" "$command" -- || fail "Tab does not offer '$command $option'"
  done
  for operation in $(_olconn97_operations "$host" "$command"); do
    operations_seen=$((operations_seen + 1))
    grep -qE -- "(^|[ |])$operation([ |]|$)" <<<"$text" ||
      fail "the manual does not name '$command $operation'"
    offers "$operation" "$command" "" || fail "Tab does not offer '$command $operation'"
  done
done
[ "$operations_seen" -gt 0 ] || fail "no command's usage lines name an operation"
offers --version -- || fail "Tab does not offer --version"

# As lintian renders it.
if command -v man >/dev/null; then
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l -Tutf8 -Z "$manual" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "the manual renders with warnings: $warnings"
fi

echo "$(wc -w <<<"$commands") commands checked, $failures failure(s)"
[ "$failures" -eq 0 ]
