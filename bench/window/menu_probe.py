#!/usr/bin/env python3
"""Times the real game from outside, in a virtual X display, several programs side by side:

  menu_probe.py [--runs N] [--seconds S] DATA_TREE PROGRAM...

first frame: from the program's start (its execve) to the first sleep of its main thread, which
  follows the first flip (every screen draws, flips, then sleeps);
main menu: a profile is typed on the creation screen, then the main menu stays shown S seconds.
  Its frames are the main thread's 50 ms sleeps (traced with strace, which stops the program only
  at sleeps); period = from one sleep's start to the next, CPU = the whole process's user and
  system time (from /proc) over the frames of a 4 s window about 5 s and about S - 2 s in.
Needs Xvfb, xdotool and strace. Prints one line per program and run, milliseconds."""
import argparse, os, re, shutil, statistics, subprocess, sys, tempfile, time

SLEEP = re.compile(r"^(\d+) +(\d+\.\d+) (?:execve\(|clock_nanosleep\([^,]+, 0, \{tv_sec=0, tv_nsec=(\d+)\})")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def events(log):
    """The program's start and its main thread's sleeps: (start, [(time, ns)])."""
    start, main, sleeps = None, None, []
    with open(log) as lines:
        for line in lines:
            match = SLEEP.match(line)
            if not match:
                continue
            pid, when, ns = int(match[1]), float(match[2]), match[3]
            if ns is None:
                if start is None:
                    start, main = when, pid
            elif pid == main:
                sleeps.append((when, int(ns)))
    return start, sleeps


def launch(program, tree, log, display):
    env = dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="dummy")
    command = ["strace", "-f", "--seccomp-bpf", "-qq", "-ttt", "-e", "trace=execve,clock_nanosleep", "-o", log, program]
    with open(log + ".out", "w") as out:  # the program's own messages, shown if it ends early
        return subprocess.Popen(command, cwd=tree, env=env, stdout=out, stderr=subprocess.STDOUT)


def game_pid(tracer):
    for _ in range(200):
        out = subprocess.run(["pgrep", "-P", str(tracer.pid)], capture_output=True, text=True).stdout.split()
        if out:
            return int(out[0])
        time.sleep(0.01)
    sys.exit("the program did not start")


def stop(tracer):
    for pid in subprocess.run(["pgrep", "-P", str(tracer.pid)], capture_output=True, text=True).stdout.split():
        os.kill(int(pid), 15)  # the game this tracer started
    try:
        tracer.wait(5)
    except subprocess.TimeoutExpired:
        tracer.kill()
        tracer.wait()


def first_frame(program, tree, work, display):
    log = os.path.join(work, "first.log")
    tracer = launch(program, tree, log, display)
    try:
        for _ in range(1000):
            time.sleep(0.01)
            start, sleeps = events(log)
            if sleeps:
                return (sleeps[0][0] - start) * 1000
        sys.exit("no frame within 10 s")
    finally:
        stop(tracer)


def menu(program, tree, work, display, seconds):
    log = os.path.join(work, "menu.log")
    tracer = launch(program, tree, log, display)
    try:
        pid = game_pid(tracer)
        xdo = lambda *args: subprocess.run(["xdotool", *args], env=dict(os.environ, DISPLAY=display),
                                           capture_output=True, text=True).stdout.split()
        for _ in range(300):
            window = xdo("search", "--name", "^Morvane$")
            if window:
                break
            time.sleep(0.05)
        time.sleep(0.5)
        xdo("windowfocus", window[0])
        for key in ["t", "e", "s", "t", "Return"]:
            xdo("keydown", key), time.sleep(0.2), xdo("keyup", key), time.sleep(0.2)
        shown = time.time()
        windows, samples = [(3, 7), (seconds - 4, seconds)], {}
        for at in sorted({t for w in windows for t in w}):
            time.sleep(max(0.0, shown + at - time.time()))
            if tracer.poll() is not None:
                sys.exit(f"{program} ended early:\n" + open(log + ".out").read()[-2000:])
            samples[at] = (time.time(), cpu_seconds(pid))
        xdo("key", "Escape")
        time.sleep(0.3)
    finally:
        stop(tracer)
    _, sleeps = events(log)
    starts = [when for when, ns in sleeps if ns == 50_000_000]
    figures = []
    for a, b in windows:
        (t0, c0), (t1, c1) = samples[a], samples[b]
        inside = [s for s in starts if t0 <= s <= t1]
        periods = [(y - x) * 1000 for x, y in zip(inside, inside[1:])]
        if len(periods) < 2:  # a frame longer than the window, or the menu never reached
            figures.append((float("nan"), float("nan"), float("nan")))
        else:
            figures.append((statistics.median(periods), max(periods), (c1 - c0) * 1000 / len(periods)))
    return figures


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--seconds", type=int, default=42)
    parser.add_argument("--first-frame-runs", type=int, default=7)
    parser.add_argument("tree")
    parser.add_argument("programs", nargs="+")
    args = parser.parse_args()
    for tool in ("Xvfb", "xdotool", "strace"):
        shutil.which(tool) or sys.exit(f"needs {tool}")
    with tempfile.TemporaryDirectory(prefix="menu_probe.") as work:
        read, write = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        display = ":" + os.read(read, 16).decode().strip()
        try:
            tree = os.path.join(work, "tree")
            shutil.copytree(args.tree, tree)
            for folder in ("profiles", "high_scores"):
                shutil.rmtree(os.path.join(tree, folder), ignore_errors=True)
                os.mkdir(os.path.join(tree, folder))
            firsts = {p: [] for p in args.programs}
            for _ in range(args.first_frame_runs):  # taken in turn, so load changes hit every program alike
                for program in args.programs:
                    firsts[program].append(first_frame(program, tree, work, display))
            for program in args.programs if args.first_frame_runs else []:
                times = " ".join(f"{t:.0f}" for t in firsts[program])
                print(f"{program}: first frame median {statistics.median(firsts[program]):.0f} ms ({times})")
            for run in range(args.runs):
                for program in args.programs:
                    shutil.rmtree(os.path.join(tree, "profiles"))
                    os.mkdir(os.path.join(tree, "profiles"))
                    (p5, m5, c5), (p40, m40, c40) = menu(program, tree, work, display, args.seconds)
                    print(f"{program} run {run + 1}: menu at 5 s: period {p5:.1f} (longest {m5:.0f}) cpu {c5:.1f}; "
                          f"at {args.seconds - 2} s: period {p40:.1f} (longest {m40:.0f}) cpu {c40:.1f}", flush=True)
        finally:
            xvfb.terminate()
            xvfb.wait()


if __name__ == "__main__":
    main()
