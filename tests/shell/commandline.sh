#!/bin/sh
# The real binaries' command lines, without a display: --help and --version print and succeed,
# anything else is refused with status 2; a client whose connection fails at once ends with 1.
# Usage: commandline.sh HALCYRA-SERVER HALCYRA-CLIENT HALCYRA-STUDENT VERSION
set -u
server=$1 client=$2 student=$3 version=$4

# check STATUS TEXT COMMAND...: the command ends with STATUS and prints TEXT, or the test fails.
check() {
    want=$1 text=$2
    shift 2
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$@" 2>&1 </dev/null)
    got=$?
    [ "$got" -eq "$want" ] && printf '%s\n' "$out" | grep -qF -- "$text" && return
    printf 'FAIL: %s: status %s, not %s, or no "%s" in:\n%s\n' "$*" "$got" "$want" "$text" "$out"
    exit 1
}

check 0 'Usage: halcyra-server' "$server" --help
check 0 "halcyra-server $version" "$server" --version
check 2 "Unknown option 'bogus'" "$server" --bogus
check 2 "unexpected argument 'extra'" "$server" extra
for qt in -nograb -dograb -testability '-name n' '-title t' '-visual 0x21' '-icon i'; do
    check 0 "halcyra-server $version" "$server" $qt --version # Qt's, handed on
done
check 0 "halcyra-client $version" "$client" --version
check 2 "Unknown option 'bogus'" "$client" --bogus
check 1 'Network unreachable' timeout 10 "$client" 255.255.255.255
check 0 'Usage: halcyra-student' "$student" --help
check 0 "halcyra-student $version" "$student" --version
check 2 "Unknown option 'bogus'" "$student" --bogus
check 2 "unexpected argument 'extra'" "$student" host 5000 extra
check 2 "invalid port '99999'" "$student" host 99999
