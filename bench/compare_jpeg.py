"""JPEG decode and encode of a 12 MP photo-like picture against libjpeg-turbo driven directly.

Peers: the TurboJPEG API of the same libjpeg-turbo through ctypes, with the settings our codec
uses (BGR output, accurate integer DCT, smooth upsampling; 4:2:0 quality 90 for encoding), in
this process; and tjbench's own decode figure for the same file (printed below the table).
"""
import ctypes
import ctypes.util
import os
import re
import statistics
import subprocess
import sys
import tempfile

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import compare_lib  # noqa: E402

W, H = 4000, 3000
TJPF_BGR = 1
TJSAMP_420 = 2
TJFLAG_NOREALLOC = 1024


def make_jpeg(folder):
    """The photo-like picture of BenchPictures.cpp (numpy version), encoded by cjpeg -quality 90."""
    y, x = np.mgrid[0:H, 0:W].astype(np.float64)
    rng = np.random.default_rng(1)
    noise = rng.integers(-6, 7, (H, W, 1))
    bgr = np.stack([128 + 100 * np.sin(x / 97.0 + y / 211.0),
                    128 + 90 * np.cos(x / 150.0 - y / 80.0),
                    128 + 80 * np.sin((x + y) / 60.0)], -1) + noise
    rgb = np.clip(bgr, 0, 255).astype(np.uint8)[:, :, ::-1]
    ppm = os.path.join(folder, "photo.ppm")
    with open(ppm, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (W, H))
        f.write(np.ascontiguousarray(rgb).tobytes())
    jpg = os.path.join(folder, "photo.jpg")
    with open(jpg, "wb") as f:
        subprocess.run(["cjpeg", "-quality", "90", "-dct", "int", ppm], check=True, stdout=f)
    return jpg


class TurboJpeg:
    def __init__(self, jpeg_bytes):
        name = ctypes.util.find_library("turbojpeg") or "libturbojpeg.so.0"
        tj = ctypes.CDLL(name)
        tj.tjInitDecompress.restype = ctypes.c_void_p
        tj.tjInitCompress.restype = ctypes.c_void_p
        tj.tjDecompress2.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_ulong,
                                     ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_int, ctypes.c_int]
        tj.tjCompress2.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                   ctypes.c_int, ctypes.c_int,
                                   ctypes.POINTER(ctypes.c_void_p), ctypes.POINTER(ctypes.c_ulong),
                                   ctypes.c_int, ctypes.c_int, ctypes.c_int]
        tj.tjBufSize.restype = ctypes.c_ulong
        tj.tjAlloc.restype = ctypes.c_void_p
        self.tj = tj
        self.dhandle = tj.tjInitDecompress()
        self.chandle = tj.tjInitCompress()
        self.jpeg = jpeg_bytes
        self.out = np.empty((H, W, 3), np.uint8)  # reused, as our benchmark reuses its bitmap
        size = tj.tjBufSize(W, H, TJSAMP_420)
        self.cbuf = ctypes.c_void_p(tj.tjAlloc(size))
        self.csize = ctypes.c_ulong(size)

    def decode(self):
        rc = self.tj.tjDecompress2(self.dhandle, self.jpeg, len(self.jpeg),
                                   self.out.ctypes.data, W, W * 3, H, TJPF_BGR, 0)
        if rc != 0:
            raise SystemExit("tjDecompress2 failed")

    def encode(self):
        size = ctypes.c_ulong(self.csize.value)
        rc = self.tj.tjCompress2(self.chandle, self.out.ctypes.data, W, W * 3, H, TJPF_BGR,
                                 ctypes.byref(self.cbuf), ctypes.byref(size), TJSAMP_420, 90,
                                 TJFLAG_NOREALLOC)
        if rc != 0:
            raise SystemExit("tjCompress2 failed")


def tjbench_ms(path):
    out = subprocess.run(["tjbench", path, "-benchtime", "1", "-warmup", "1", "-nowrite"],
                         check=True, capture_output=True, text=True).stdout
    mpps = float(re.search(r"Decompress.*?Throughput:\s*([\d.]+)", out, re.S).group(1))
    return W * H / 1e6 / mpps * 1e3


def main():
    with tempfile.TemporaryDirectory() as folder:
        path = make_jpeg(folder)
        os.environ["VELMORA_BENCH_JPEG"] = path  # our benchmark decodes the same file
        with open(path, "rb") as f:
            tj = TurboJpeg(f.read())
        tj.decode()
        pairs = [
            compare_lib.Pair("JPEG decode 12 MP (4:2:0 q90)", "BM_JpegDecode12MP",
                             "libjpeg-turbo TurboJPEG", tj.decode, 1.15),
            compare_lib.Pair("JPEG encode 12 MP (4:2:0 q90)", "BM_JpegEncode12MP",
                             "libjpeg-turbo TurboJPEG", tj.encode, 1.15),
        ]
        compare_lib.run("bench/compare jpeg", pairs)
        bench = [tjbench_ms(path) for _ in range(3)]
        ours = statistics.median(pairs[0].ours)
        theirs = statistics.median(bench)
        print("%-44s %10.1f %10.1f %8.2f %7s  %s" % ("JPEG decode 12 MP (tjbench figure)", ours,
                                                    theirs, ours / theirs, "1.15", "tjbench"))


if __name__ == "__main__":
    main()
