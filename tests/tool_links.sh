#!/bin/sh
# The command-line tools link the cores alone: no Qt Widgets, no scanner library, and none of
# the window's pages, dialogs or forms (their classes are named T<Name>Page, ...Form, ...Dialog).
# Usage: tool_links.sh PROGRAM...
status=0
for program in "$@"; do
    needed=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
    if [ -z "$needed" ]; then
        echo "$program: cannot read its dynamic section" >&2
        status=1
        continue
    fi
    for library in $needed; do
        case $library in
        libQt6Widgets* | libsane*)
            echo "$program links $library" >&2
            status=1
            ;;
        esac
    done
    widgets=$(nm -C "$program" | grep -E ' T[A-Z][A-Za-z0-9]*(Page|Form|Dialog|Box)::' | head -n 3)
    if [ -n "$widgets" ]; then
        echo "$program holds window code:" >&2
        echo "$widgets" >&2
        status=1
    fi
done
exit $status
