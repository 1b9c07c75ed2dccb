#!/usr/bin/env bash
# Trelvo and two peer terminals (GTKTerm, CuteCom) in turn, on one Xvfb, each on its own pseudo-terminal pair
# (socat) with the same feeder on the other end: 64-byte text lines written whole at 11520 bytes a second (a
# device talking at 115200 baud), or nothing (--idle). Prints each program's CPU (all its threads, % of one core)
# and that of the feeder and socat, whose fixed load shows whether the host was in one of its slow spells. Taking
# the programs in turn, round after round, puts them through the same spells. --flood has Trelvo's virtual device
# (build/tools/trelvo-vdev) write the lines as fast as each program takes them, and prints the rate taken in.
# --socat is the same flood through a socat pair: the feeder writes 64 KB blocks of the lines into one end as fast
# as they are taken, and socat relays them in the pieces it reads, as a network bridge or a virtual pair would.
# The program "cat" (reading the terminal into /dev/null) gives the chain's own ceiling in that mode.
#
#     bash scripts/setup --peers   # adds xdotool, socat, GTKTerm, CuteCom, gcc, python3
#     bash bench/peers/side-by-side.sh [--rounds 5] [--seconds 10] [--idle | --flood]
#                                      [--socat] [--programs "cat gtkterm cutecom trelvo"]
#
# Needs a build (build/src/app/trelvo). Trelvo runs in a temporary directory with its defaults; the peers with
# their defaults (their settings go to a temporary XDG_CONFIG_HOME). pty_shim.c lets the peers use a
# pseudo-terminal as a serial port.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
rounds=5 seconds=10 idle="" flood="" socat="" programs="gtkterm cutecom trelvo"
while (($#)); do
    case "$1" in
        --rounds) rounds="$2"; shift 2 ;;
        --seconds) seconds="$2"; shift 2 ;;
        --idle) idle=1; shift ;;
        --flood) flood=1; shift ;;
        --socat) flood=1 socat=1; shift ;;
        --programs) programs="$2"; shift 2 ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
done
far_end=(socat python3)
[[ -n $flood && -z $socat ]] && far_end=("$root/build/tools/trelvo-vdev")
for tool in Xvfb xdotool cc "${far_end[@]}" $programs; do
    [[ $tool == trelvo ]] && tool="$root/build/src/app/trelvo"
    command -v "$tool" >/dev/null || { echo "side-by-side: $tool is missing (bash scripts/setup --peers; a build)" >&2; exit 1; }
done
work="$(mktemp -d)"
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
# Whatever still runs when the script ends, even half-way (the programs, the far ends, the X server), goes with it.
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY="$display"
cc -shared -fPIC -O2 -o "$work/pty_shim.so" "$root/bench/peers/pty_shim.c" -ldl
cat > "$work/feeder.py" <<'PY'
import os, sys, time
fd = os.open(sys.argv[1], os.O_WRONLY | os.O_NOCTTY)
with open(sys.argv[3], 'rb') as lines:
    line = lines.readline()
period = len(line) / float(sys.argv[2])
due = time.monotonic()
warned = False
while True:
    try:
        os.write(fd, line)
    except OSError:  # the pair was closed: the run is over
        sys.exit(0)
    due += period
    wait = due - time.monotonic()
    if wait > 0:
        time.sleep(wait)
    elif wait < -1 and not warned:
        print('feeder: a second behind - the program does not take the bytes', file=sys.stderr)
        warned = True
PY
cat > "$work/flood.py" <<'PY'
import os, sys
fd = os.open(sys.argv[1], os.O_WRONLY | os.O_NOCTTY)
with open(sys.argv[2], 'rb') as f:
    block = f.read()
while True:
    try:
        os.write(fd, block)
    except OSError:
        sys.exit(0)
PY
for ((i = 0; i < 1024; ++i)); do printf '0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz\r\n'; done > "$work/lines.txt"
sleep 1

# CPU time in ns of all threads of the given processes.
cpu() {
    local sum=0 a f p
    for p in "$@"; do
        [[ -d /proc/$p ]] || { echo "side-by-side: process $p is gone" >&2; exit 1; }
        for f in /proc/"$p"/task/*/schedstat; do read -r a _ < "$f" && sum=$((sum + a)); done
    done
    echo $sum
}

one() {
    local prog=$1 dir app feeder win box
    dir="$(mktemp -d "$work/run.XXXX")"
    # The far end: socat's second terminal for the feeder, or the virtual device writing at full speed.
    if [[ -n $flood && -z $socat ]]; then
        "$root/build/tools/trelvo-vdev" --link "$dir/ttyA" --stream "$work/lines.txt" --rate 0 --loop >/dev/null 2>&1 &
    else
        socat pty,raw,echo=0,link="$dir/ttyA" pty,raw,echo=0,link="$dir/ttyB" &
    fi
    local pair=$!
    sleep 0.5
    local port; port="$(readlink -f "$dir/ttyA")"
    case $prog in
        cat)
            cat "$port" >/dev/null &
            app=$! ;;
        gtkterm)
            XDG_CONFIG_HOME="$dir/config" LD_PRELOAD="$work/pty_shim.so" gtkterm -p "$port" -s 115200 >/dev/null 2>&1 &
            app=$!
            sleep 1.5
            xdotool key Return # the first start's notice of a new configuration file
            sleep 1 ;;
        cutecom)
            mkdir -p "$dir/config/CuteCom"
            printf '[sessions]\n1\\BaudRate=115200\n1\\DataBits=8\n1\\Device=%s\n1\\FlowControl=0\n1\\OpenMode=3\n1\\Parity=0\n1\\StopBits=1\n1\\name=Default\nsize=1\n' \
                "$port" > "$dir/config/CuteCom/CuteCom5.conf"
            XDG_CONFIG_HOME="$dir/config" LD_PRELOAD="$work/pty_shim.so" cutecom >/dev/null 2>&1 &
            app=$!
            win="$(xdotool search --sync --onlyvisible --class cutecom | head -1)"
            xdotool windowmove "$win" 0 0
            sleep 0.5
            xdotool mousemove --window "$win" 48 40 click 1 # Open
            sleep 1 ;;
        trelvo)
            (cd "$dir" && exec "$root/build/src/app/trelvo") >/dev/null 2>&1 &
            app=$!
            box="$(xdotool search --sync --onlyvisible --name '^Trelvo$' | head -1)"
            xdotool windowfocus --sync "$box"
            xdotool key Return # the first start's notice
            sleep 1
            win="$(xdotool search --sync --onlyvisible --name '^Trelvo$' | head -1)"
            xdotool windowmove "$win" 0 0
            sleep 0.5
            xdotool mousemove --window "$win" 150 12 click 1 # the port box
            xdotool key --window "$win" ctrl+a
            xdotool type --window "$win" "$port"
            xdotool mousemove --window "$win" 30 12 click 1 # Connect
            sleep 1 ;;
    esac
    if [[ -n $socat ]]; then
        python3 "$work/flood.py" "$dir/ttyB" "$work/lines.txt" &
    elif [[ -n $idle$flood ]]; then sleep 100000 & else python3 "$work/feeder.py" "$dir/ttyB" 11520 "$work/lines.txt" & fi
    feeder=$!
    sleep 3
    local c0 f0 t0 c1 f1 t1
    # Bytes the far end has written: all the program took in.
    written() { awk '$1 == "wchar:" { print $2 }' /proc/"$pair"/io; }
    local w0 w1
    c0=$(cpu $app); f0=$(cpu $feeder $pair); w0=$(written); t0=$(date +%s%N)
    sleep "$seconds"
    c1=$(cpu $app); f1=$(cpu $feeder $pair); w1=$(written); t1=$(date +%s%N)
    if [[ -n ${SHOT:-} ]]; then import -window root "$SHOT-$prog.png"; fi
    kill $feeder $app $pair 2>/dev/null || true
    wait $feeder $app $pair 2>/dev/null || true
    awk -v p="$prog" -v c=$((c1 - c0)) -v f=$((f1 - f0)) -v t=$((t1 - t0)) -v w=$((w1 - w0)) -v flood="$flood" \
        'BEGIN { if (flood) printf "%-8s CPU %5.2f %%   taken in %6.2f MB/s   device %5.2f %%\n", p, 100 * c / t, w * 1000 / t, 100 * f / t
                 else printf "%-8s CPU %5.2f %%   feeder and socat %5.2f %%\n", p, 100 * c / t, 100 * f / t }'
    rm -rf "$dir"
}

what="paced 11520 B/s of 64-byte lines"
[[ -n $idle ]] && what="idle, port open"
[[ -n $flood ]] && what="flood of 64-byte lines, as fast as taken"
[[ -n $socat ]] && what="flood of 64-byte lines through a socat pair, as fast as taken"
echo "$what, $seconds s per run, $rounds rounds"
for ((r = 1; r <= rounds; ++r)); do
    for prog in $programs; do one "$prog"; done
done
