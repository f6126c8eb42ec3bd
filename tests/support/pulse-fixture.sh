#!/bin/sh
# A private PulseAudio server with a null sink, for the tests that play sound on machines with
# no sound card. `pulse-fixture.sh start DIR` starts it in the background with its socket at
# DIR/native and returns once it answers; `pulse-fixture.sh stop DIR` ends it. Its runtime and
# state stay under DIR, so it never meets the user's own server.
set -eu
action=$1
dir=$2
export XDG_RUNTIME_DIR="$dir/runtime" HOME="$dir/home" PULSE_SERVER="unix:$dir/native"
case "$action" in
start)
    "$0" stop "$dir" 2>/dev/null || true
    mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
    chmod 700 "$XDG_RUNTIME_DIR"
    # As root it warns that it is not meant to run so, and works.
    pulseaudio -n --daemonize=no --system=false --exit-idle-time=-1 --use-pid-file=no \
        --load="module-null-sink sink_name=null" \
        --load="module-native-protocol-unix socket=$dir/native" \
        >"$dir/pulseaudio.log" 2>&1 &
    echo $! >"$dir/pulseaudio.pid"
    # Up to 20 s for it to answer.
    tries=0
    until pactl info >/dev/null 2>&1; do
        tries=$((tries + 1))
        if [ $tries -gt 100 ] || ! kill -0 "$(cat "$dir/pulseaudio.pid")" 2>/dev/null; then
            echo "the PulseAudio server did not start:" >&2
            cat "$dir/pulseaudio.log" >&2
            exit 1
        fi
        sleep 0.2
    done
    echo "PulseAudio answers at $PULSE_SERVER"
    ;;
stop)
    if [ -f "$dir/pulseaudio.pid" ]; then
        kill "$(cat "$dir/pulseaudio.pid")" 2>/dev/null || true
        rm -f "$dir/pulseaudio.pid"
    fi
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
