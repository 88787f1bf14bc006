"""Runs the benchmark programs and the process measurements, and writes
docs/performance.md: each measure's median, its goal and the ratio of the two."""

import argparse
import json
import os
import subprocess
import tempfile
import time

US, MS = 1e-6, 1e-3
FIELD_LATENCY_MS = 40  # bench/channel_overhead.h


def run_benchmark(build, program, pattern):
    out = subprocess.run(
        [os.path.join(build, "bench", program), f"--benchmark_filter={pattern}", "--benchmark_format=json"],
        check=True, capture_output=True, text=True).stdout
    return json.loads(out)["benchmarks"]


def median_seconds(benchmarks, name, counter=None):
    """The median of a benchmark in seconds (its median aggregate when it has
    repetitions, else its only run); or a counter of it."""
    unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
    chosen = None
    for b in benchmarks:
        rest = b["name"][len(name):]
        # The name itself, or with its arguments and aggregates: not a longer name.
        if not b["name"].startswith(name) or (rest and not name.endswith("/") and rest[0].isalnum()):
            continue
        if b.get("aggregate_name") == "median" or (chosen is None and b.get("run_type") == "iteration"):
            chosen = b
    if chosen is None:
        raise SystemExit(f"benchmark {name} did not run")
    if counter:
        return chosen[counter]
    return chosen["real_time"] * unit[chosen["time_unit"]]


# Shell lines that make a LonWorks tree under $work, register the plug-in in it
# and create the demo network ($bin names the programs).
DEMO_TREE = r'''lon="$work/LonWorks"; mkdir -p "$lon/Import" "$lon/Types" "$lon/bin"
"$bin/rlx-reg" add 'HKLM\SOFTWARE\LonWorks' /v 'LonWorks Path' /d "$lon" /f >/dev/null
"$bin/RLX_Plug" /regplugin
"$bin/rlx-lnsdb" demo >/dev/null
'''


def process_measures(build, idle_seconds):
    """Start-up to a visible window, its resident memory, and its CPU while idle."""
    bindir = os.path.join(build, "bin")
    script = r'''
set -euo pipefail
bin="$1"; idle="$2"; work="$3"
''' + DEMO_TREE + r'''t0=$(date +%s%N)
"$bin/lns-director" --network Demo --show configure Routers/RLX-Explicit >/dev/null
t1=$(date +%s%N)
pid=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
      --method org.freedesktop.DBus.GetConnectionUnixProcessID RLX_Plug.LNSPlugInAPI | sed -E 's/.*uint32 ([0-9]+).*/\1/')
rss=$(awk '/VmRSS/ {print $2}' /proc/$pid/status)
ticks() { awk '{print $14 + $15}' /proc/$pid/stat; }
a=$(ticks); sleep "$idle"; b=$(ticks)
echo "startup_ns=$((t1 - t0)) rss_kb=$rss idle_ticks=$((b - a)) hz=$(getconf CLK_TCK)"
"$bin/lns-director" hide >/dev/null
'''
    with tempfile.TemporaryDirectory() as work:
        env = dict(os.environ, RLX_REGISTRY_ROOT=os.path.join(work, "registry"), QT_QPA_PLATFORM="offscreen",
                   XDG_RUNTIME_DIR=os.path.join(work, "runtime"))
        env.pop("DISPLAY", None)
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        conf = os.path.join(build, "share", "dbus-1", "session.conf")
        out = subprocess.run(["dbus-run-session", f"--config-file={conf}", "--", "bash", "-c", script, "bench",
                              bindir, str(idle_seconds), work],
                             check=True, capture_output=True, text=True, env=env).stdout
    values = dict(kv.split("=") for kv in out.split("\n")[-2].split())
    idle_share = int(values["idle_ticks"]) / int(values["hz"]) / idle_seconds
    # A cold start (RLX_Plug activated by the bus) up to the visible window.
    return int(values["startup_ns"]) * 1e-9, int(values["rss_kb"]), idle_share


class VirtualScreen:
    """An X server of its own (Xvfb) for the run; its display name in .display."""

    def __enter__(self):
        read, write = os.pipe()
        self.server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                                        "-nolisten", "tcp"], pass_fds=(write,),
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            number = f.readline().strip()
        if not number:
            self.server.kill()
            raise SystemExit("Xvfb did not start")
        self.display = ":" + number
        return self

    def __exit__(self, *exc):
        self.server.kill()
        self.server.wait()


def register_wait_cpu(build, seconds):
    """CPU share of RLX_Plug while the "Register" template dialog waits for the operator.
    The dialog is shown on a virtual screen: drawn offscreen nobody could answer it, and
    the plug-in would end instead of waiting."""
    bindir = os.path.join(build, "bin")
    script = r'''
set -euo pipefail
bin="$1"; span="$2"; work="$3"
''' + DEMO_TREE + r'''"$bin/lns-director" --network Demo register >/dev/null 2>&1 &
director=$!
pid=""
for _ in $(seq 1 100); do
  pid=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.GetConnectionUnixProcessID RLX_Plug.LNSPlugInAPI 2>/dev/null |
        sed -nE 's/.*uint32 ([0-9]+).*/\1/p') || true
  [ -n "$pid" ] && break
  sleep 0.1
done
sleep 1  # the dialog is up and waiting
ticks() { awk '{print $14 + $15}' /proc/$pid/stat; }
a=$(ticks); sleep "$span"; b=$(ticks)
echo "wait_ticks=$((b - a)) hz=$(getconf CLK_TCK)"
kill -9 "$pid" "$director" 2>/dev/null || true
'''
    with tempfile.TemporaryDirectory() as work, VirtualScreen() as screen:
        env = dict(os.environ, RLX_REGISTRY_ROOT=os.path.join(work, "registry"), DISPLAY=screen.display,
                   XDG_RUNTIME_DIR=os.path.join(work, "runtime"))
        env.pop("QT_QPA_PLATFORM", None)
        env.pop("WAYLAND_DISPLAY", None)
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        conf = os.path.join(build, "share", "dbus-1", "session.conf")
        out = subprocess.run(["dbus-run-session", f"--config-file={conf}", "--", "bash", "-c", script, "bench",
                              bindir, str(seconds), work],
                             check=True, capture_output=True, text=True, env=env).stdout
    values = dict(kv.split("=") for kv in out.strip().split("\n")[-1].split())
    return int(values["wait_ticks"]) / int(values["hz"]) / seconds


def fmt(seconds):
    if seconds >= 1:
        return f"{seconds:.3f} s"
    if seconds >= 1e-3:
        return f"{seconds / MS:.2f} ms"
    return f"{seconds / US:.1f} µs"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build")
    ap.add_argument("--idle-seconds", type=int, default=60)
    ap.add_argument("--wait-seconds", type=int, default=20)
    ap.add_argument("--output", default="docs/performance.md")
    args = ap.parse_args()
    b = args.build
    rows = []

    def row(measure, value, goal, text=None, lower_is_better=True):
        ratio = value / goal if lower_is_better else goal / value
        rows.append((measure, text or fmt(value), fmt(goal) if text is None else goal_text(goal, text), ratio))

    def goal_text(goal, text):
        return text.split("|")[1] if "|" in text else str(goal)

    sim = run_benchmark(b, "rlx_device_bench", "ReadExplicitPhonebook|MsgResponseRoundTrip")
    row("Message round trip: control + data server + simulated router (median)",
        median_seconds(sim, "BM_MsgResponseRoundTrip"), 100 * US)
    rt = run_benchmark(b, "message_round_trip_bench", ".")
    row("Message round trip: control + data server, device answering at once",
        median_seconds(rt, "BM_MsgResponse"), 100 * US)
    wall = median_seconds(rt, "BM_SilentDevice", "wall_ms") * MS
    rows.append(("Silent device: wall time of one message", fmt(wall), "3.000 s ± 50 ms",
                 abs(wall - 3.0) / 0.05))
    cpu = median_seconds(rt, "BM_SilentDevice", "cpu_percent")
    rows.append(("Silent device: process CPU during the wait", f"{cpu:.3f} %", "5 %", cpu / 5))
    row("Phonebook download: 64 explicit entries read through control + data server + simulator",
        median_seconds(sim, "BM_ReadExplicitPhonebook"), 20 * MS)
    pb = run_benchmark(b, "phonebook_bench", ".")
    row("Phonebook editor open, 64-entry explicit phonebook", median_seconds(pb, "BM_OpenExplicitEditor"), 50 * MS)
    row("Phonebook first download with progress window, 64 entries", median_seconds(pb, "BM_FirstDownload"), 100 * MS)
    row("Phonebook resync from device, 64 entries", median_seconds(pb, "BM_ResyncFromDevice"), 100 * MS)
    row("Phonebook resync from database, 64 entries", median_seconds(pb, "BM_ResyncFromDatabase"), 100 * MS)
    os_b = run_benchmark(b, "object_server_bench", "PlugInAttach")
    small = median_seconds(os_b, "BM_PlugInAttach/100/")
    big = median_seconds(os_b, "BM_PlugInAttach/100000/")
    row("Attach (split path, find subsystem, device, object) on 100,000 devices", big, 1 * MS)
    rows.append(("Attach on 100,000 devices compared with 100 devices", f"{big / small:.2f}x", "3x", big / small / 3))
    mw = run_benchmark(b, "main_window_open_bench", ".")
    row("Open sequence, LonMark internal modem (SendCommand 13 to window ready)",
        median_seconds(mw, "BM_LonMarkInternalModemFirst"), 150 * MS)
    row("Open sequence, explicit router (SendCommand 13 to window ready)",
        median_seconds(mw, "BM_ExplicitDeviceFirst"), 150 * MS)
    ring = run_benchmark(b, "ring_status_bench", "BM_RingStatusQuery/")
    row("Ring status query over 64 routers, plug-in work without its pauses", median_seconds(ring, "BM_RingStatusQuery"),
        200 * MS)
    # On a channel like the field's: the wall time beyond the channel's own.
    def field_row(measure, benchmarks, name):
        pct = median_seconds(benchmarks, name, "overhead_pct")
        messages = median_seconds(benchmarks, name, "messages")
        wall = median_seconds(benchmarks, name)
        rows.append((f"At {FIELD_LATENCY_MS} ms per message, {measure}: overhead beyond the channel "
                     f"({messages:.0f} messages in {fmt(wall)})", f"{pct:.2f} %", "2 %", pct / 2))

    field_row("open sequence of an explicit router seen for the first time (with its phonebook download)", mw,
              "BM_ExplicitDeviceFirstAtFieldLatency")
    field_row("open sequence of an explicit router seen before", mw, "BM_ExplicitDeviceAgainAtFieldLatency")
    field_row("phonebook first download, 64 entries", pb, "BM_FirstDownloadAtFieldLatency")
    demo_ring = run_benchmark(b, "ring_status_bench", "AtFieldLatency")
    field_row("ring status over the demo ring (6 routers)", demo_ring, "BM_RingStatusDemoRingAtFieldLatency")
    startup, rss_kb, idle = process_measures(b, args.idle_seconds)
    rows.append(("Start-up of RLX_Plug by D-Bus activation to a visible explicit window", fmt(startup), "—", None))
    rows.append(("Resident memory of RLX_Plug with the window visible", f"{rss_kb / 1024:.1f} MiB", "—", None))
    rows.append((f"Idle CPU with a window open, polling the router ({args.idle_seconds} s)", f"{idle * 100:.2f} %",
                 "1 %", idle * 100 / 1))
    wait = register_wait_cpu(b, args.wait_seconds)
    rows.append((f"CPU while the \"Register\" template dialog waits for the operator ({args.wait_seconds} s)",
                 f"{wait * 100:.2f} %", "1 %", wait * 100 / 1))

    with open(args.output, "w") as f:
        f.write("# Performance\n\n")
        f.write("Written by `scripts/bench` on " + time.strftime("%Y-%m-%d") + f" ({os.cpu_count()} cores). "
                "Times are medians of repeated runs (Google Benchmark) unless the measure says otherwise. "
                "Ratio is the median divided by the goal: below 1 meets it.\n\n")
        f.write(f"The rows \"at {FIELD_LATENCY_MS} ms per message\" run on a channel like the field's: every router "
                f"takes {FIELD_LATENCY_MS} ms per message (`rlx-lnsdb set-rlx DEVICE latency {FIELD_LATENCY_MS}`) on a "
                "running network clock, so each message really takes that long, counted from its writing and "
                "including the simulated router's own handling. The overhead is measured on the wall clock: "
                "(W - N*L) / (N*L), with W the wall time of the work, N the messages the routers counted and L "
                "the latency. It holds everything the operator waits for beyond the channel, whether the plug-in "
                "computes, blocks or waits needlessly, and also the data server's and the control's share and "
                "the wake-ups after each wait; so it is an upper bound on the plug-in's own part. The process's "
                "CPU time would miss a needless wait and is not used.\n\n")
        f.write("| Measure | Median | Goal | Ratio |\n|---|---|---|---|\n")
        for measure, value, goal, ratio in rows:
            f.write(f"| {measure} | {value} | {goal} | {'—' if ratio is None else f'{ratio:.2f}'} |\n")
    print(open(args.output).read())


if __name__ == "__main__":
    main()
