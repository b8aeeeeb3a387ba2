#!/bin/bash
# quillmere-batch's bash completion, as the build writes it from the option
# table, against the program's own --help and parser: every option the help
# names is offered, no option that takes a value gets the paths to convert
# offered as its value (a value option missing from the completion's list
# would), and every value offered for an option is one the program takes.
# Presentations and folders are offered as paths, other files are not.
#
#   CompletionTest.sh QUILLMERE_BATCH COMPLETION_FILE
set -euo pipefail
batch=$1
completion=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
touch deck.pptx notes.txt
mkdir folder

source /usr/share/bash-completion/bash_completion
source "$completion"
PATH="$(dirname "$batch"):$PATH"

# The words offered for the command line "$@", the last word being completed.
offered() {
  COMP_WORDS=(quillmere-batch "$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _quillmere_batch quillmere-batch "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort
}

failed=0
help=$("$batch" --help)
missing=$(comm -23 <(grep -oE -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u) <(offered --))
if [ -n "$missing" ]; then
  echo "FAIL: options in --help that completion does not offer:" $missing >&2
  failed=1
fi

paths=$(offered "")
if [ "$paths" != "$(printf 'deck.pptx\nfolder')" ]; then
  echo "FAIL: paths to convert offered: $(echo $paths); want deck.pptx folder" >&2
  failed=1
fi
# Options written with a value in the help: "  -o, --output DIR", "      --gap N".
for option in $(sed -nE 's/^ +(-[a-z0-9], )?(--[a-z-]+) [A-Z].*/\2/p' <<<"$help"); do
  values=$(offered "$option" "")
  if [ "$values" = "$paths" ]; then
    echo "FAIL: the value of $option is completed as a path to convert" >&2
    failed=1
  elif [ "$values" != "folder" ]; then
    # A value offered is read by the parser (--help stops after reading).
    for value in $values; do
      if ! "$batch" "$option" "$value" --help >/dev/null 2>"$work/error"; then
        echo "FAIL: $option $value is offered but refused: $(cat "$work/error")" >&2
        failed=1
      fi
    done
  fi
done
exit "$failed"
