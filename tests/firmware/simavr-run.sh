#!/bin/sh
# Runs an AVR program under simavr and puts out what it wrote to its UART: simavr shows each
# line coloured on standard error, its line end as a dot.
#   simavr-run.sh MCU PROGRAM
simavr -m "$1" -f 16000000 "$2" 2>&1 >/dev/null | sed -e 's/\x1b\[[0-9;]*m//g' -e 's/\.$//'
