#!/bin/sh
# Runs an AVR program under simavr and puts out what it wrote to its UART (simavr shows each
# line coloured on standard error, its line end as a dot), less the last line "exit N" that
# avr-uart.c writes at the program's end; exits with N, or 1 when the program did not come to
# its end.
#   simavr-run.sh MCU PROGRAM
out=$(simavr -m "$1" -f 16000000 "$2" 2>&1 >/dev/null | sed -e 's/\x1b\[[0-9;]*m//g' -e 's/\.$//')
last=$(printf '%s\n' "$out" | tail -n 1)
case $last in
  "exit "[0-9])
    printf '%s\n' "$out" | sed '$d'
    exit "${last#exit }" ;;
esac
printf '%s\n' "$out"
echo "simavr-run.sh: $2 did not come to its end" >&2
exit 1
