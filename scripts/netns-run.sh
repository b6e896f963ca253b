#!/bin/sh
# Runs a command inside a fresh, private network namespace that holds only loopback (up).
# Nothing sent inside it, broadcasts to 255.255.255.255 included, can leave it.
# As root it uses a plain network namespace; otherwise a user namespace maps the caller
# to root inside, so no privileges are needed.
set -e
if [ "$#" -eq 0 ]; then
    echo "usage: netns-run.sh COMMAND [ARG...]" >&2
    exit 2
fi
if [ "$(id -u)" = 0 ]; then
    exec unshare --net --fork -- sh -c 'ip link set lo up && exec "$@"' netns-run "$@"
fi
exec unshare --user --map-root-user --net --fork -- sh -c 'ip link set lo up && exec "$@"' netns-run "$@"
