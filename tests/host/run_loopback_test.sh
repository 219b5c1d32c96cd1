#!/usr/bin/env bash
# ./run on a machine without a display: the sale screen is served over VNC, nothing that ./run
# started listens beyond 127.0.0.1, and stopping ./run stops everything it started.
#   run_loopback_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir="$1"
build_dir="$2"

fail() {
  echo "FAIL: $*" >&2
  [ -f "${work:-}/out" ] && { echo "--- ./run said:" >&2; cat "$work/out" >&2; }
  exit 1
}

# ./run as shipped, in a scratch folder of its own: the build under test stands in for its
# setup step (ctest is running from that build), and the demo site is written there.
work="$(mktemp -d)"
run_pid=""
cleanup() {
  [ -z "$run_pid" ] || kill -KILL -- "-$run_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/scripts"
cp "$source_dir/run" "$work/run"
printf '#!/bin/sh\n' >"$work/scripts/setup"
chmod +x "$work/run" "$work/scripts/setup"
ln -s "$build_dir" "$work/build"

# The demo site's partners on a free port below the range outgoing connections take, not the
# demo's fixed one, which another program (or a second run of this test) may hold.
partners_port=""
for _ in $(seq 200); do
  candidate=$((20000 + RANDOM % 12000))
  if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then
    partners_port="$candidate"
    break
  fi
done
[ -n "$partners_port" ] || fail "no free port for the demo's partners"
export VENDACONS_PARTNERS_PORT="$partners_port"

# A session of its own, so every process ./run starts can be found and none is left behind.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM setsid "$work/run" >"$work/out" 2>&1 </dev/null &
run_pid=$!

started() { ps -e -o pid=,sid= | awk -v sid="$run_pid" '$2 == sid { print $1 }'; }
named() { ps -o comm= -p "$1" 2>/dev/null || true; }

port=""
for _ in $(seq 1200); do
  port="$(sed -n 's/.*connect a VNC viewer on this machine to 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/out")"
  [ -z "$port" ] && kill -0 "$run_pid" 2>/dev/null || break
  sleep 0.1
done
[ -n "$port" ] || fail "./run did not announce where the screen is served"

# The host is up once it holds a connection to the virtual display.
host_pid=""
for _ in $(seq 1200); do
  for pid in $(started); do
    [ "$(named "$pid")" = "vendacons-host" ] && host_pid="$pid"
  done
  if [ -n "$host_pid" ] && ss -Hxp state connected 2>/dev/null | grep -q "pid=$host_pid,"; then
    break
  fi
  kill -0 "$run_pid" 2>/dev/null || fail "./run ended while starting"
  sleep 0.1
done
[ -n "$host_pid" ] || fail "the sale screen's host did not start"

# Every listening socket of every process ./run started is on 127.0.0.1.
listening=0
for pid in $(started); do
  while read -r address; do
    [ -n "$address" ] || continue
    listening=$((listening + 1))
    [[ "$address" == 127.0.0.1:* ]] || fail "$(named "$pid") (pid $pid) listens on $address"
  done < <(ss -Hlntup | awk -v p="pid=$pid," 'index($0, p) { print $5 }')
done
[ "$listening" -ge 1 ] || fail "no process of ./run listens at all"
grep -q "served over VNC on 127.0.0.1:$port only" "$work/out" || fail "./run did not print the one address it listens on"

# The announced port speaks VNC.
banner="$(timeout 10 bash -c "exec 3<>/dev/tcp/127.0.0.1/$port && head -c 12 <&3" 2>/dev/null || true)"
[[ "$banner" == RFB* ]] || fail "127.0.0.1:$port does not speak VNC (said \"$banner\")"

# Stopping ./run stops the host and the virtual display with it.
kill -TERM "$run_pid"
# Bounded generously: a machine busy with other suites can take long to stop them.
for _ in $(seq 1200); do
  [ -z "$(started)" ] && break
  sleep 0.1
done
left="$(started)"
[ -z "$left" ] || fail "still running after ./run was stopped: $(for p in $left; do named "$p"; done | tr '\n' ' ')"
wait "$run_pid" 2>/dev/null || true
run_pid=""
if ss -Hlnt | awk '{ print $4 }' | grep -qx "127.0.0.1:$port"; then
  fail "127.0.0.1:$port still listens after ./run was stopped"
fi
echo "ok: ./run served the screen on 127.0.0.1:$port only ($listening listening socket(s)) and stopped cleanly"

# A VNC server that binds another address than it is asked (here 127.0.0.2, which stays on
# this machine): ./run refuses to serve the screen and leaves nothing running.
mkdir -p "$work/wide"
cat >"$work/wide/Xvnc" <<WIDE
#!/bin/sh
for a in "\$@"; do [ "\$a" = 127.0.0.1 ] && a=127.0.0.2; set -- "\$@" "\$a"; shift; done
exec $(command -v Xvnc) "\$@"
WIDE
chmod +x "$work/wide/Xvnc"
: >"$work/out"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM PATH="$work/wide:$PATH" \
  setsid "$work/run" >"$work/out" 2>&1 </dev/null &
run_pid=$!
status=0
timeout 300 tail --pid="$run_pid" -f /dev/null || fail "./run kept running on a display that listens beyond 127.0.0.1"
wait "$run_pid" || status=$?
[ "$status" -ne 0 ] || fail "./run ended well although its display listened on 127.0.0.2"
grep -q "listens on 127.0.0.2:[0-9]*, beyond 127.0.0.1; not serving the screen" "$work/out" ||
  fail "./run did not say why it refused"
! grep -q "served over VNC" "$work/out" || fail "./run announced a screen it refused to serve"
for _ in $(seq 1200); do
  [ -z "$(started)" ] && break
  sleep 0.1
done
left="$(started)"
[ -z "$left" ] || fail "still running after ./run refused: $(for p in $left; do named "$p"; done | tr '\n' ' ')"
run_pid=""
echo "ok: ./run refused a display listening beyond 127.0.0.1 and left nothing running"
