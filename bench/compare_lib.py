"""Shared timing for bench/compare: our benchmarks against other libraries, same run, A/B.

A comparison script builds a list of Pair objects and hands it to run(). For every round each
pair runs our Google Benchmark case once (a separate process, its own warm-up) and then the peer
once (in this process, after one warm-up call); the medians of the rounds give the ratio.
"""
import json
import os
import statistics
import subprocess
import sys
import time

ROUNDS = 7
HERE = os.path.dirname(os.path.abspath(__file__))
BENCH = os.environ.get("VELMORA_BENCH", os.path.join(HERE, "..", "build", "bench", "velmora-bench"))


class Pair:
    def __init__(self, label, bench_filter, peer_name, peer_fn, target=None):
        self.label = label
        self.bench_filter = bench_filter  # exact Google Benchmark name
        self.peer_name = peer_name
        self.peer_fn = peer_fn  # a call that does the peer's operation once
        self.target = target  # the ratio we aim to stay under, or None
        self.ours = []
        self.theirs = []


def ours_ms(bench_filter):
    out = subprocess.run(
        [BENCH, "--benchmark_filter=^" + bench_filter + "$", "--benchmark_format=json",
         "--benchmark_min_time=0.3"],
        check=True, capture_output=True, text=True).stdout
    runs = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
    if not runs:
        raise SystemExit("no benchmark named " + bench_filter)
    b = runs[0]
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    return b["real_time"] * scale


def peer_ms(fn):
    fn()  # warm-up: first touch of the peer's buffers
    samples = []
    for _ in range(3):
        t = time.perf_counter()
        fn()
        samples.append((time.perf_counter() - t) * 1e3)
    return statistics.median(samples)


def run(title, pairs):
    for _ in range(ROUNDS):
        for p in pairs:
            p.ours.append(ours_ms(p.bench_filter))
            p.theirs.append(peer_ms(p.peer_fn))
    print("## " + title)
    print("%-44s %10s %10s %8s %7s  %s" % ("operation", "ours ms", "peer ms", "ratio", "target", "peer"))
    for p in pairs:
        a, b = statistics.median(p.ours), statistics.median(p.theirs)
        target = "%.2f" % p.target if p.target else "-"
        print("%-44s %10.1f %10.1f %8.2f %7s  %s" % (p.label, a, b, a / b, target, p.peer_name))
    sys.stdout.flush()


def have_module(name):
    try:
        __import__(name)
        return True
    except ImportError:
        return False
