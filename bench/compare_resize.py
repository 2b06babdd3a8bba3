"""Resampling against OpenCV (and ImageMagick when installed) on the very same sizes.

Every resampling routine refuses sources and results above the working limit of 4,000,000 pixels,
so the cases are the largest allowed ones: reductions from 2308 x 1732 (about 4 MP, 4:3) to
577 x 433, enlargements from 1000 x 1000 to 2000 x 2000. The sizes must match bench/BenchResize.cpp.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import compare_lib  # noqa: E402
from compare_lib import Pair, run  # noqa: E402

import cv2  # noqa: E402
import numpy as np  # noqa: E402

cv2.setNumThreads(1)

DOWN_SRC = (2308, 1732)
DOWN_DST = (577, 433)
UP_SRC = (1000, 1000)
UP_DST = (2000, 2000)

rng = np.random.default_rng(12345)
down_src = rng.integers(0, 256, (DOWN_SRC[1], DOWN_SRC[0], 3), dtype=np.uint8)
up_src = rng.integers(0, 256, (UP_SRC[1], UP_SRC[0], 3), dtype=np.uint8)
down_dst = np.empty((DOWN_DST[1], DOWN_DST[0], 3), np.uint8)
up_dst = np.empty((UP_DST[1], UP_DST[0], 3), np.uint8)
copy_dst = np.empty_like(down_src)


def cv_down(interpolation):
    return lambda: cv2.resize(down_src, DOWN_DST, dst=down_dst, interpolation=interpolation)


def cv_up(interpolation):
    return lambda: cv2.resize(up_src, UP_DST, dst=up_dst, interpolation=interpolation)


LINEAR, AREA, NEAREST = cv2.INTER_LINEAR, cv2.INTER_AREA, cv2.INTER_NEAREST
T = True
pairs = [
    Pair("BiLiner 2308x1732 -> 577x433", "BM_BiLinerDown25", "OpenCV INTER_LINEAR",
         cv_down(LINEAR), 3, T),
    Pair("BiLiner 1000x1000 -> 2000x2000", "BM_BiLinerUp2", "OpenCV INTER_LINEAR",
         cv_up(LINEAR), 2, T, 1.0),
    Pair("BiLinerDouble 2308x1732 -> 577x433", "BM_BiLinerDoubleDown25", "OpenCV INTER_LINEAR",
         cv_down(LINEAR), 2, T),
    Pair("BiLinerDouble 1000x1000 -> 2000x2000", "BM_BiLinerDoubleUp2", "OpenCV INTER_LINEAR",
         cv_up(LINEAR), 2, T),
    Pair("  defined way only, 2308x1732 -> 577x433", "BM_BiLinerDoubleReferenceDown25",
         "OpenCV INTER_LINEAR", cv_down(LINEAR), None, T),
    Pair("  defined way only, 1000x1000 -> 2000x2000", "BM_BiLinerDoubleReferenceUp2",
         "OpenCV INTER_LINEAR", cv_up(LINEAR), None, T),
    Pair("Integral 2308x1732 -> 577x433", "BM_IntegralDown25", "OpenCV INTER_AREA",
         cv_down(AREA), 2, T, 1.0),
    Pair("BiLinerAndIntegralDouble 2308x1732 -> 577x433", "BM_BiLinerAndIntegralDoubleDown25",
         "OpenCV INTER_AREA", cv_down(AREA), 3, T),
    Pair("BiLinerAndIntegralDouble 1000x1000 -> 2000x2000", "BM_BiLinerAndIntegralDoubleUp2",
         "OpenCV INTER_LINEAR", cv_up(LINEAR), None, T),
    Pair("  defined way only, 2308x1732 -> 577x433",
         "BM_BiLinerAndIntegralDoubleReferenceDown25", "OpenCV INTER_AREA", cv_down(AREA), None,
         T),
    Pair("  defined way only, 1000x1000 -> 2000x2000",
         "BM_BiLinerAndIntegralDoubleReferenceUp2", "OpenCV INTER_LINEAR", cv_up(LINEAR), None,
         T),
    Pair("Stretch 2308x1732 -> 577x433", "BM_StretchDown25", "OpenCV INTER_NEAREST",
         cv_down(NEAREST), 2, T),
    Pair("Stretch 1000x1000 -> 2000x2000", "BM_StretchUp2", "OpenCV INTER_NEAREST",
         cv_up(NEAREST), 2, T),
    Pair("Copy 2308x1732 (memory reference)", "BM_CopyPicture", "numpy copyto",
         lambda: np.copyto(copy_dst, down_src)),
]
run("Resampling (OpenCV %s)" % cv2.__version__, pairs, cv2.setNumThreads)


# ImageMagick runs as its own process, so its time is taken from its own -bench figures: the
# command with the operation minus the same command without it (reading the input, writing
# nothing). Same maths where ImageMagick has it: point-sampled bilinear, box average, point sample.
def magick_ms(args, picture, iterations):
    def per_iteration(extra):
        out = subprocess.run(
            ["convert", "-limit", "thread", "1", "-bench", str(iterations), picture] + extra +
            ["null:"], check=True, capture_output=True, text=True)
        text = out.stdout + out.stderr
        for line in text.splitlines():
            if line.strip().startswith("Performance[1]"):
                ips = float(line.split()[2].rstrip("ips"))
                return 1000.0 / ips
        raise SystemExit("no -bench figure from convert: " + text)
    return max(per_iteration(args) - per_iteration([]), 1e-6)


def magick_table():
    if shutil.which("convert") is None:
        print("ImageMagick not installed: skipped")
        return
    with tempfile.TemporaryDirectory() as tmp:
        pictures = {}
        for name, array in (("down", down_src), ("up", up_src)):
            raw = os.path.join(tmp, name + ".rgb")
            array.tofile(raw)
            h, w = array.shape[:2]
            pictures[name] = os.path.join(tmp, name + ".miff")
            subprocess.run(["convert", "-size", "%dx%d" % (w, h), "-depth", "8", "rgb:" + raw,
                            pictures[name]], check=True)
        down = "%dx%d!" % DOWN_DST
        up = "%dx%d!" % UP_DST
        cases = [
            ("BiLiner 2308x1732 -> 577x433", "BM_BiLinerDown25",
             ["-interpolate", "Bilinear", "-interpolative-resize", down], "down"),
            ("BiLiner 1000x1000 -> 2000x2000", "BM_BiLinerUp2",
             ["-interpolate", "Bilinear", "-interpolative-resize", up], "up"),
            ("Integral 2308x1732 -> 577x433", "BM_IntegralDown25", ["-scale", down], "down"),
            ("Stretch 2308x1732 -> 577x433", "BM_StretchDown25", ["-sample", down], "down"),
            ("Stretch 1000x1000 -> 2000x2000", "BM_StretchUp2", ["-sample", up], "up"),
        ]
        ours = {c[1]: [] for c in cases}
        theirs = {c[1]: [] for c in cases}
        for _ in range(compare_lib.ROUNDS):
            for label, bench, args, picture in cases:
                ours[bench].append(compare_lib.ours_ms(bench + "/threads:1"))
                theirs[bench].append(magick_ms(args, pictures[picture], 10))
        version = subprocess.run(["convert", "-version"], capture_output=True,
                                 text=True).stdout.split("\n")[0]
        print("## Resampling against ImageMagick, one thread (%s)" % version.strip())
        print("%-44s %10s %10s %8s  %s" % ("operation", "ours ms", "peer ms", "ratio", "peer"))
        for label, bench, args, picture in cases:
            a, b = statistics.median(ours[bench]), statistics.median(theirs[bench])
            print("%-44s %10.1f %10.1f %8.2f  convert %s" % (label, a, b, a / b, " ".join(args)))
        sys.stdout.flush()


magick_table()
