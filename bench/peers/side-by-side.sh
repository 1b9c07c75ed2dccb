#!/usr/bin/env bash
# Trelvo and two peer terminals (GTKTerm, CuteCom) in turn, on one Xvfb, each on its own pseudo-terminal pair
# (socat) with the same feeder on the other end: 64-byte text lines written whole at 11520 bytes a second (a
# device talking at 115200 baud), or nothing (--idle). Prints each program's CPU (all its threads, % of one core)
# and that of the feeder and socat, whose fixed load shows whether the host was in one of its slow spells. Taking
# the programs in turn, round after round, puts them through the same spells. --flood has Trelvo's virtual device
# (build/tools/trelvo-vdev) write the lines as fast as each program takes them, and prints the rate taken in.
# --socat is the same flood through a socat pair: the feeder writes 64 KB blocks of the lines into one end as fast
# as they are taken, and socat relays them in the pieces it reads, as a network bridge or a virtual pair would.
# The program "cat" (reading the terminal into /dev/null) gives the chain's own ceiling in that mode. --hex shows
# the flood in Trelvo's HEX mode. In every mode with a stream the window's answer time is measured from outside
# (xprobe.c: the window manager's ping, answered from the window's event loop, 20 a second) and the peak memory
# (VmHWM) is printed. --startup starts each program without a port instead (Trelvo with a full command library and
# history) and prints the time to its first window on the screen and the memory once it stands.
#
#     bash scripts/setup --peers   # adds xdotool, socat, GTKTerm, CuteCom, gcc, libx11-dev, python3
#     bash bench/peers/side-by-side.sh [--rounds 5] [--seconds 10] [--idle | --flood | --socat | --startup]
#                                      [--hex] [--programs "cat gtkterm cutecom trelvo"]
#
# Needs a build (build/src/app/trelvo). Trelvo runs in a temporary directory with its defaults; the peers with
# their defaults (their settings go to a temporary XDG_CONFIG_HOME). pty_shim.c lets the peers use a
# pseudo-terminal as a serial port.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
rounds=5 seconds=10 idle="" flood="" socat="" hex="" startup="" programs="gtkterm cutecom trelvo"
while (($#)); do
    case "$1" in
        --rounds) rounds="$2"; shift 2 ;;
        --seconds) seconds="$2"; shift 2 ;;
        --idle) idle=1; shift ;;
        --flood) flood=1; shift ;;
        --socat) flood=1 socat=1; shift ;;
        --hex) hex=1; shift ;;
        --startup) startup=1; shift ;;
        --programs) programs="$2"; shift 2 ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
done
far_end=(socat python3)
[[ -n $flood && -z $socat ]] && far_end=("$root/build/tools/trelvo-vdev")
[[ -n $startup ]] && far_end=("$root/build/bench/trelvo-bench-library")
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
cc -O2 -o "$work/xprobe" "$root/bench/peers/xprobe.c" -lX11
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
            sleep 1
            win="$(xdotool search --onlyvisible --class gtkterm | head -1)" ;;
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
            [[ -n $hex ]] && xdotool mousemove --window "$win" 90 444 click 1 # HEX
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
    local probe="" answer="" peak
    c0=$(cpu $app); f0=$(cpu $feeder $pair); w0=$(written); t0=$(date +%s%N)
    if [[ -n ${win:-} && -z $idle ]]; then "$work/xprobe" ping "$win" "$seconds" 50 > "$dir/answer" & probe=$!; fi
    sleep "$seconds"
    c1=$(cpu $app); f1=$(cpu $feeder $pair); w1=$(written); t1=$(date +%s%N)
    peak=$(awk '$1 == "VmHWM:" { print $2 }' /proc/"$app"/status)
    if [[ -n $probe ]]; then wait $probe || true; answer="$(awk '{ print "  answer p95 " $6 " ms, max " $12 " ms" }' "$dir/answer")"; fi
    if [[ -n ${SHOT:-} ]]; then import -window root "$SHOT-$prog.png"; fi
    kill $feeder $app $pair 2>/dev/null || true
    wait $feeder $app $pair 2>/dev/null || true
    awk -v p="$prog" -v c=$((c1 - c0)) -v f=$((f1 - f0)) -v t=$((t1 - t0)) -v w=$((w1 - w0)) -v flood="$flood" \
        -v peak="$peak" -v answer="$answer" \
        'BEGIN { if (flood) printf "%-8s CPU %5.2f %%   taken in %6.2f MB/s   device %5.2f %%   peak %4.0f MB%s\n", p, 100 * c / t, w * 1000 / t, 100 * f / t, peak / 1024, answer
                 else printf "%-8s CPU %5.2f %%   feeder and socat %5.2f %%   peak %4.0f MB%s\n", p, 100 * c / t, 100 * f / t, peak / 1024, answer }'
    rm -rf "$dir"
}

# Start-up: from the start of the program to its first window on the screen, and its memory two seconds on.
startup_one() {
    local prog=$1 dir pid ms rss
    dir="$(mktemp -d "$work/run.XXXX")"
    mkdir -p "$dir/config"
    case $prog in
        trelvo)
            "$root/build/bench/trelvo-bench-library" --write-full-library "$dir"
            read -r pid ms < <(cd "$dir" && exec "$work/xprobe" start "$root/build/src/app/trelvo") ;;
        gtkterm) read -r pid ms < <(XDG_CONFIG_HOME="$work/config-gtkterm" "$work/xprobe" start gtkterm) ;;
        cutecom) read -r pid ms < <(XDG_CONFIG_HOME="$work/config-cutecom" "$work/xprobe" start cutecom) ;;
        *) echo "side-by-side: no start-up for $prog" >&2; return ;;
    esac
    sleep 2
    rss=$(awk '$1 == "VmRSS:" { print $2 }' /proc/"$pid"/status)
    kill "$pid" 2>/dev/null || true
    while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
    awk -v p="$prog" -v ms="$ms" -v rss="$rss" 'BEGIN { printf "%-8s first window %5d ms   memory at start %5.1f MB\n", p, ms, rss / 1024 }'
    rm -rf "$dir"
}

if [[ -n $startup ]]; then
    echo "start-up, $rounds rounds (each program started once before, not counted: its configuration is made then)"
    for prog in $programs; do startup_one "$prog" >/dev/null; done
    for ((r = 1; r <= rounds; ++r)); do
        for prog in $programs; do startup_one "$prog"; done
    done
    exit 0
fi

what="paced 11520 B/s of 64-byte lines"
[[ -n $idle ]] && what="idle, port open"
[[ -n $flood ]] && what="flood of 64-byte lines, as fast as taken"
[[ -n $socat ]] && what="flood of 64-byte lines through a socat pair, as fast as taken"
[[ -n $hex ]] && what="$what, Trelvo in HEX mode"
echo "$what, $seconds s per run, $rounds rounds"
for ((r = 1; r <= rounds; ++r)); do
    for prog in $programs; do one "$prog"; done
done
