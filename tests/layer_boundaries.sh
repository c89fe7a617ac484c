#!/usr/bin/env bash
# The layers' rules, as the include lines of the product's sources show them: a layer includes only the
# layers below it, another layer's private src/ never, and the catalogue layer no Qt at all (nor the
# tool's own concerns).
#   tests/layer_boundaries.sh SOURCE_DIR
set -uo pipefail
cd "$1"
failures=0
below() { # the layers a layer may include
    case "$1" in
    catalogue) echo "catalogue" ;;
    pictures) echo "catalogue pictures" ;;
    viewer) echo "catalogue pictures viewer" ;;
    tools) echo "catalogue pictures tools" ;;
    esac
}
for layer in catalogue pictures viewer tools; do
    allowed=" $(below "$layer") "
    while IFS=: read -r file line include; do
        target=${include#*\"}
        target=${target%%\"*}
        top=${target%%/*}
        [ "$top" = "$target" ] && continue # a header beside the file
        case " catalogue pictures viewer tools " in *" $top "*) ;; *) continue ;; esac
        if [[ "$allowed" != *" $top "* ]]; then
            echo "$file:$line: the $layer layer includes $target from a layer above or beside it" >&2
            failures=$((failures + 1))
        elif [ "$top" != "$layer" ] && [[ "$target" == */src/* ]]; then
            echo "$file:$line: $target is private to the $top layer" >&2
            failures=$((failures + 1))
        fi
    done < <(grep -rn --include='*.cpp' --include='*.h' '^#include "' "$layer")
done
if grep -rn --include='*.cpp' --include='*.h' -E '^#include <Q' catalogue >&2; then
    echo "the catalogue layer is plain C++: no Qt header" >&2
    failures=$((failures + 1))
fi
# The catalogue layer knows nothing of the tool's work: its faults and texts live with the tool.
if grep -rniE --include='*.cpp' --include='*.h' "\\b(spreadsheets?|(work)?sheets?|workbooks?|checker|check's|output files?)\\b" \
    catalogue >&2 ||
    grep -rnE --include='*.cpp' --include='*.h' '\b(Check|Sheet|Spreadsheet|Workbook|Output)[A-Z]' catalogue >&2; then
    echo "the catalogue layer names the tool's spreadsheets, sheets, checks or output files" >&2
    failures=$((failures + 1))
fi
if [ "$failures" -ne 0 ]; then
    echo "$failures include lines break the layers' rules" >&2
    exit 1
fi
echo "every include keeps to the layers' rules"
