#!/usr/bin/env bash
# Runs a command with audio that can be listened to: a private PulseAudio server whose only
# (and so default) sink is a null sink, and a private speech-dispatcher that plays into it.
# Works as root on a machine with no sound card and no desktop session: nothing here needs a
# session bus, and nothing touches the user's own audio or speech services.
#
#   with-audio.sh <command> [args...]
#
# The command sees KESTRIM_AUDIO_MONITOR, the PulseAudio source that records what the sink plays.
set -euo pipefail

runtime=$(mktemp -d "${TMPDIR:-/tmp}/kestrim-audio.XXXXXX")
chmod 700 "$runtime"
pulse_pid=
speechd_pid=

cleanup() {
    # By process id, never by name: other sessions may run their own.
    for pid in $speechd_pid $pulse_pid; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in $speechd_pid $pulse_pid; do
        for _ in $(seq 20); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$runtime"
}
trap cleanup EXIT
# So that cleanup also runs when the test runner ends us.
trap 'exit 143' TERM
trap 'exit 130' INT

# wait_for <what> <command...>: up to 5 s for the command to succeed.
wait_for() {
    local what=$1
    shift
    for _ in $(seq 50); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "with-audio.sh: $what did not start; its log:" >&2
    cat "$runtime"/*.log >&2 2>/dev/null || true
    exit 1
}

# Private runtime folder: the default places of the PulseAudio and speech-dispatcher sockets.
export XDG_RUNTIME_DIR=$runtime

# -n: none of the system's modules (no hardware probing, no session bus); anonymous access so
# clients need no cookie.
export PULSE_SERVER=unix:$runtime/pulse.sock
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --log-target=file:"$runtime/pulseaudio.log" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$runtime/pulse.sock" \
    -L "module-null-sink sink_name=kestrim_null sink_properties=device.description=Kestrim-test" &
pulse_pid=$!
wait_for PulseAudio pactl info

# Started here rather than autospawned: an autospawned server daemonises, and then its process
# is no longer ours to end. -t 0: stays up however long the command pauses between sentences.
mkdir -p "$runtime/speech-dispatcher"
speech_socket=$runtime/speech-dispatcher/speechd.sock
speech-dispatcher --run-single --timeout 0 --communication-method unix_socket \
    --socket-path "$speech_socket" --pid-file "$runtime/speech-dispatcher/pid" \
    --log-dir "$runtime" >"$runtime/speech-dispatcher-output.log" 2>&1 &
speechd_pid=$!
wait_for speech-dispatcher test -S "$speech_socket"
export SPEECHD_ADDRESS=unix_socket:$speech_socket

export KESTRIM_AUDIO_MONITOR=kestrim_null.monitor
"$@"
