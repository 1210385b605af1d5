#!/usr/bin/env python3
"""What the running plug-in costs the machine. Each round runs the test player with a do-nothing
plug-in, with a plug-in that only makes the three player requests Skyburst makes at every render
(title, length, position), and with Skyburst, one after the other; the rounds repeat and medians
are printed. Per plug-in: its share of one core beyond the do-nothing one (player plus
wineserver), and for Skyburst also beyond the requests' plug-in, which is what is ours to cut; the
X server's extra share, apart; and the context switches per frame drawn beyond the requests'
plug-in's, the frames counted from the periods that frame_periods.exe measures. Each run is
measured over SECONDS of steady rendering, after the player has settled, with the scheduler's
counters of every thread.

The player runs the plug-in as the real player does: Init, Render and Quit on a thread of their
own, the main window (the target of the per-render requests) on another (--same-thread: all on
one thread). After the rounds of each configuration, frame_periods.exe (when built) gives the
renderers' frame periods under that threading.

Run by bench/cpu/plugin_cpu.sh inside a prepared Wine environment (WINEPREFIX, DISPLAY set;
SKYBURST_XVFB_PID names the X server when it is a private one).
usage: plugin_cpu.py BUILD_DIR SCREEN_NAME [--seconds S] [--reps N] [--only NAME]
                     [--also OTHER.dll[=OTHER_FRAME_PERIODS.exe]]... [--same-thread]
(--also measures another build of the plug-in in the same interleaved rounds, for before/after;
its own frame_periods program, when given, measures that build's periods.)
"""

import argparse
import os
import statistics
import subprocess
import sys
import time

# name -> (plugin.ini body, frames per second the renderers are asked for at their latencies, used
# when no measured periods are at hand)
CONFIGS = {
    # rockets every 20 ms, bars and VU every 15 ms
    "defaults": ("", 1000 / 20 + 1000 / 15 + 1000 / 15),
    "starfield": ("Effect=1\r\n", 1000 / 20 + 1000 / 15 + 1000 / 15),
    "bars only": ("EffectEnabled=0\r\nvuEnabled=0\r\nImageEnabled=0\r\nTitleEnabled=0\r\n", 1000 / 15),
}
# Only on request (--only): the window and render hook with nothing moving, per second.
EXTRA = {
    # without the title strip: no title, length and position requests at each render
    "no title": ("TitleEnabled=0\r\n", 1000 / 20 + 1000 / 15 + 1000 / 15),
    # what the display showed before it had image overlays and a title
    "no overlays": ("ImageEnabled=0\r\nTitleEnabled=0\r\n", 1000 / 20 + 1000 / 15 + 1000 / 15),
    "still": ("EffectEnabled=0\r\nSpectrumsEnabled=0\r\nvuEnabled=0\r\nImageEnabled=0\r\nTitleEnabled=0\r\n", 1),
    # every latency at 10 ms
    "latency 10": ("SkyburstLatency=10\r\nLightLatency=10\r\nSpectrumsLatency=10\r\nvuLatency=10\r\n",
                   3 * 1000 / 10),
}
NULL_PLUGIN = "null_vis.dll"
REQUESTS_PLUGIN = "requests_vis.dll"


def wineserver_pid():
    prefix = os.environ["WINEPREFIX"].encode()
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/comm") as f:
                if not f.read().startswith("wineserver"):
                    continue
            with open(f"/proc/{pid}/environ", "rb") as f:
                if b"WINEPREFIX=" + prefix in f.read().split(b"\0"):
                    return int(pid)
        except OSError:
            continue
    return None


def xserver_pid():
    """The Xvfb serving DISPLAY, or None."""
    named = os.environ.get("SKYBURST_XVFB_PID")
    if named and os.path.exists(f"/proc/{named}/stat"):
        return int(named)
    display = os.environ.get("DISPLAY", "")
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                args = f.read().split(b"\0")
        except OSError:
            continue
        if args and os.path.basename(args[0]) == b"Xvfb" and display.encode() in args:
            return int(pid)
    return None


def thread_usage(pid):
    """Per thread of a live process: CPU seconds and context switches so far. The time is the
    scheduler's, to the nanosecond, not the 10 ms clock ticks of /proc/PID/stat."""
    usage = {}
    try:
        tasks = os.listdir(f"/proc/{pid}/task")
    except OSError:
        return usage
    for task in tasks:
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                cpu_ns = int(f.read().split()[0])
            switches = 0
            with open(f"/proc/{pid}/task/{task}/status") as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        switches += int(line.split()[1])
        except (OSError, ValueError, IndexError):
            continue  # a thread that ended meanwhile
        usage[task] = (cpu_ns / 1e9, switches)
    return usage


def switches_by_thread(before, after):
    """Context switches of each thread between two thread_usage samples, most first. Thread by
    thread: a thread that ended in between takes its whole count out of a plain sum and could make
    it negative; one that began in between counts from zero."""
    return sorted((switches_after - before.get(task, (0.0, 0))[1] for task, (_, switches_after) in after.items()),
                  reverse=True)


def usage_between(before, after):
    """CPU seconds and context switches between two thread_usage samples."""
    cpu = sum(cpu_after - before.get(task, (0.0, 0))[0] for task, (cpu_after, _) in after.items())
    return cpu, sum(switches_by_thread(before, after))


def wait_for_process(popen, name, timeout):
    """The pid of popen's process once it runs as name (wine execs its way there), or None."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and popen.poll() is None:
        try:
            with open(f"/proc/{popen.pid}/comm") as f:
                if f.read().strip() == name:
                    return popen.pid
        except OSError:
            pass
        time.sleep(0.05)
    return None


# The player's start (Wine's own start, loading, Init) costs far more than a second of rendering
# and varies from run to run: only the steady state after it is measured.
SETTLE_SECONDS = 2.5


def run_player(build, dll, seconds, same_thread):
    """CPU seconds and context switches of seconds of steady rendering (the player and the
    wineserver), the X server's CPU seconds over the same time, and the switches per second of
    each thread of the player, most first, then the wineserver's."""
    server = wineserver_pid()
    xserver = xserver_pid()
    threading = [] if same_thread else ["--plugin-thread"]
    player = subprocess.Popen(["wine", os.path.join(build, "player.exe"), os.path.join(build, dll),
                               "--seconds", str(SETTLE_SECONDS + seconds + 1), "--signal", "beat"] + threading,
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        pid = wait_for_process(player, "player.exe", 30)
        if pid is None:
            raise RuntimeError(f"the player did not start with {dll}")

        def sample():
            return (thread_usage(pid), thread_usage(server) if server else {},
                    thread_usage(xserver) if xserver else {}, time.monotonic())

        time.sleep(SETTLE_SECONDS)
        p0, s0, x0, t0 = sample()
        time.sleep(seconds)
        p1, s1, x1, t1 = sample()
        player.wait(timeout=seconds + 60)
    finally:
        if player.poll() is None:
            player.kill()
            player.wait()
    # Scaled to exactly the asked seconds: the sleep may overrun a little.
    scale = seconds / (t1 - t0)
    player_cpu, player_switches = usage_between(p0, p1)
    server_cpu, server_switches = usage_between(s0, s1)
    cpu = (player_cpu + server_cpu) * scale
    switches = (player_switches + server_switches) * scale
    threads = [round(n * scale / seconds) for n in switches_by_thread(p0, p1)] + [
        round(server_switches * scale / seconds)]
    return cpu, switches, usage_between(x0, x1)[0] * scale, threads


def frame_periods(program, seconds, ini_body):
    """frame_periods.exe's lines, or nothing when it is not built. It reads plugin.ini beside itself."""
    if not os.path.exists(program):
        return []
    ini = os.path.join(os.path.dirname(os.path.abspath(program)), "plugin.ini")
    with open(ini, "w", newline="") as f:
        f.write("[Skyburst]\r\n" + ini_body)
    result = subprocess.run(["wine", program, str(int(max(1, seconds)))], stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, timeout=seconds + 60, check=False)
    return [line for line in result.stdout.splitlines() if line.strip()]


def drawn_per_second(lines):
    """Frames the renderers drew per second, from frame_periods' median periods; None if none."""
    total = 0.0
    for line in lines:
        words = line.split()
        if words and words[0] != "host" and "median" in words:
            median = float(words[words.index("median") + 1])
            if median > 0:
                total += 1000 / median
    return total or None


def load_note():
    with open("/proc/loadavg") as f:
        return "load " + " ".join(f.read().split()[:3])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("screen")
    parser.add_argument("--seconds", type=float, default=10)
    parser.add_argument("--reps", type=int, default=5)
    parser.add_argument("--only", help="one configuration by name")
    parser.add_argument("--also", action="append", default=[],
                        help="another plug-in DLL in BUILD_DIR to measure alike, =its frame_periods program")
    parser.add_argument("--same-thread", action="store_true",
                        help="the player calls the plug-in on its main window's thread")
    args = parser.parse_args()
    ini = os.path.join(args.build, "plugin.ini")
    saved = open(ini, "rb").read() if os.path.exists(ini) else None
    ours = [("vis_skyburst.dll", os.path.join(args.build, "frame_periods.exe"))]
    for also in args.also:
        dll, _, periods = also.partition("=")
        ours.append((dll, periods))
    requests = REQUESTS_PLUGIN if os.path.exists(os.path.join(args.build, REQUESTS_PLUGIN)) else None
    try:
        chosen = {**CONFIGS, **EXTRA} if args.only else CONFIGS
        for name, (body, asked_per_second) in chosen.items():
            if args.only and name != args.only:
                continue
            with open(ini, "w", newline="") as f:
                f.write("[Skyburst]\r\n" + body)
            measured = [p for p, _ in ours] + ([requests] if requests else [])
            cpu = {p: [] for p in measured}
            xcpu = {p: [] for p in measured}
            switches = {p: [] for p in measured}
            threads = {p: [] for p in measured}
            loads = [load_note()]
            for _ in range(args.reps):
                base_cpu, base_switches, base_x, _ = run_player(args.build, NULL_PLUGIN, args.seconds, args.same_thread)
                for plugin in measured:
                    c, w, x, t = run_player(args.build, plugin, args.seconds, args.same_thread)
                    threads[plugin].append(t)
                    cpu[plugin].append(100 * (c - base_cpu) / args.seconds)
                    xcpu[plugin].append(100 * (x - base_x) / args.seconds)
                    switches[plugin].append((w - base_switches) / args.seconds)
            loads.append(load_note())
            periods = {dll: frame_periods(program, args.seconds, body) if program else [] for dll, program in ours}
            # Without the title strip Skyburst asks the player nothing: the requests are not subtracted.
            asks = requests and "TitleEnabled=0" not in body
            print(f"{args.screen:>10}  {name:<10}  ({loads[0]} before, {loads[1]} after the rounds)", flush=True)
            def by_thread(plugin):
                # Thread by thread, the median over the rounds of each rank's switches per second.
                ranks = min(len(t) for t in threads[plugin])
                rates = [statistics.median(t[i] for t in threads[plugin]) for i in range(ranks - 1)]
                server = statistics.median(t[-1] for t in threads[plugin])
                return f"switches per second by thread {' '.join(f'{r:.0f}' for r in rates if r)}, wineserver {server:.0f}"

            if requests:
                print(f"{args.screen:>10}  {name:<10}  requests only  {by_thread(requests)}", flush=True)
                print(f"{args.screen:>10}  {name:<10}  requests only  cost {statistics.median(cpu[requests]):5.2f}% "
                      f"of a core beyond nothing (runs {', '.join(f'{v:.2f}' for v in cpu[requests])})  "
                      f"X server +{statistics.median(xcpu[requests]):5.2f}%", flush=True)
            for dll, _ in ours:
                label = "" if dll == ours[0][0] else f"  [{os.path.basename(dll)}]"
                line = (f"{args.screen:>10}  {name:<10}  cost {statistics.median(cpu[dll]):5.2f}% of a core "
                        f"beyond nothing")
                drawn = drawn_per_second(periods[dll]) or asked_per_second
                if asks:
                    ours_only = [a - b for a, b in zip(cpu[dll], cpu[requests])]
                    extra_switches = [(a - b) / drawn for a, b in zip(switches[dll], switches[requests])]
                    line += (f", {statistics.median(ours_only):5.2f}% beyond the requests "
                             f"(runs {', '.join(f'{v:.2f}' for v in ours_only)})")
                else:
                    extra_switches = [a / drawn for a in switches[dll]]
                line += (f"  X server +{statistics.median(xcpu[dll]):5.2f}%  "
                         f"context switches per drawn frame {statistics.median(extra_switches):5.1f} "
                         f"({drawn:.0f} frames/s){label}")
                if dll != ours[0][0]:
                    # The machine's load moves every run: the same round's runs are compared.
                    paired = [a - b for a, b in zip(cpu[ours[0][0]], cpu[dll])]
                    line += (f"\n{args.screen:>10}  {name:<10}  Skyburst minus {os.path.basename(dll)} in the same "
                             f"round: median {statistics.median(paired):5.2f}% "
                             f"(rounds {', '.join(f'{v:.2f}' for v in paired)})")
                print(line, flush=True)
                print(f"{args.screen:>10}  {name:<10}  {by_thread(dll)}{label}", flush=True)
                for period in periods[dll]:
                    print(f"{args.screen:>10}  {name:<10}  {period}{label}", flush=True)
    finally:
        if saved is None:
            os.remove(ini)
        else:
            with open(ini, "wb") as f:
                f.write(saved)


if __name__ == "__main__":
    sys.exit(main())
