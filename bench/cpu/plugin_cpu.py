#!/usr/bin/env python3
"""What the running plug-in costs the machine: the share of one core that the test player with
Skyburst takes beyond the same player with a do-nothing plug-in, player plus wineserver, with the
repetitions of the two interleaved and medians printed. Also the X server's extra share, apart,
and the context switches of both processes per frame that the renderers are asked to draw.

The player runs the plug-in as the real player does: Init, Render and Quit on a thread of their
own, the main window (the target of the per-render requests) on another (--same-thread: all on
one thread). After the rounds of each configuration, frame_periods.exe (when built) gives the
renderers' frame periods under that threading.

Run by bench/cpu/plugin_cpu.sh inside a prepared Wine environment (WINEPREFIX, DISPLAY set).
usage: plugin_cpu.py BUILD_DIR SCREEN_NAME [--seconds S] [--reps N] [--only NAME] [--also OTHER.dll]...
                     [--same-thread]
(--also measures another build of the plug-in in the same interleaved rounds, for before/after.)
"""

import argparse
import os
import resource
import statistics
import subprocess
import sys

# name -> (plugin.ini body, frames per second the renderers are asked for)
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
}


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


def process_usage(pid):
    """CPU seconds and context switches of a live process, all its threads."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = os.sysconf("SC_CLK_TCK")
    cpu = (int(fields[11]) + int(fields[12])) / ticks
    switches = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        switches += int(line.split()[1])
        except OSError:
            pass
    return cpu, switches


def run_player(build, dll, seconds, same_thread):
    """CPU seconds and context switches of one run (the player and the wineserver), and the X
    server's CPU seconds."""
    server = wineserver_pid()
    xserver = xserver_pid()
    server_before = process_usage(server) if server else (0.0, 0)
    x_before = process_usage(xserver)[0] if xserver else 0.0
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    threading = [] if same_thread else ["--plugin-thread"]
    subprocess.run(["wine", os.path.join(build, "player.exe"), os.path.join(build, dll),
                    "--seconds", str(seconds), "--signal", "beat"] + threading,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=seconds + 60, check=False)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    server_after = process_usage(server) if server else (0.0, 0)
    x_after = process_usage(xserver)[0] if xserver else 0.0
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    cpu += server_after[0] - server_before[0]
    switches = (after.ru_nvcsw - before.ru_nvcsw) + (after.ru_nivcsw - before.ru_nivcsw)
    switches += server_after[1] - server_before[1]
    return cpu, switches, x_after - x_before


def frame_periods(build, seconds):
    """frame_periods.exe's lines, or nothing when it is not built."""
    program = os.path.join(build, "frame_periods.exe")
    if not os.path.exists(program):
        return []
    result = subprocess.run(["wine", program, str(int(max(1, seconds)))], stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, timeout=seconds + 60, check=False)
    return [line for line in result.stdout.splitlines() if line.strip()]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("screen")
    parser.add_argument("--seconds", type=float, default=10)
    parser.add_argument("--reps", type=int, default=5)
    parser.add_argument("--only", help="one configuration by name")
    parser.add_argument("--also", action="append", default=[],
                        help="another plug-in DLL in BUILD_DIR to measure alike")
    parser.add_argument("--same-thread", action="store_true",
                        help="the player calls the plug-in on its main window's thread")
    args = parser.parse_args()
    ini = os.path.join(args.build, "plugin.ini")
    saved = open(ini, "rb").read() if os.path.exists(ini) else None
    try:
        chosen = {**CONFIGS, **EXTRA} if args.only else CONFIGS
        for name, (body, frames_per_second) in chosen.items():
            if args.only and name != args.only:
                continue
            with open(ini, "w", newline="") as f:
                f.write("[Skyburst]\r\n" + body)
            plugins = ["vis_skyburst.dll"] + args.also
            shares = {p: [] for p in plugins}
            xshares = {p: [] for p in plugins}
            switches = {p: [] for p in plugins}
            for _ in range(args.reps):
                base_cpu, base_switches, base_x = run_player(args.build, "null_vis.dll", args.seconds,
                                                             args.same_thread)
                for plugin in plugins:
                    our_cpu, our_switches, our_x = run_player(args.build, plugin, args.seconds, args.same_thread)
                    shares[plugin].append(100 * (our_cpu - base_cpu) / args.seconds)
                    xshares[plugin].append(100 * (our_x - base_x) / args.seconds)
                    switches[plugin].append((our_switches - base_switches) / (frames_per_second * args.seconds))
            for plugin in plugins:
                label = "" if plugin == plugins[0] else f"  [{os.path.basename(plugin)}]"
                print(f"{args.screen:>10}  {name:<10}  cost {statistics.median(shares[plugin]):5.2f}% of a core "
                      f"(runs {', '.join(f'{s:.2f}' for s in shares[plugin])})  "
                      f"X server +{statistics.median(xshares[plugin]):5.2f}%  "
                      f"context switches per frame {statistics.median(switches[plugin]):5.1f}{label}", flush=True)
            for line in frame_periods(args.build, args.seconds):
                print(f"{args.screen:>10}  {name:<10}  {line}", flush=True)
    finally:
        if saved is None:
            os.remove(ini)
        else:
            with open(ini, "wb") as f:
                f.write(saved)


if __name__ == "__main__":
    sys.exit(main())
