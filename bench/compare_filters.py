"""Kernel filters against OpenCV, on the very picture size our benchmarks use.

The convolution refuses pictures beyond the working size limit, so both sides filter a
2500 x 1600 (4.0 MP) picture. The n x n convolutions use the same low-pass kernels (by distance
from the centre, divided by their total) with replicated borders. Unsharp masking is compared
with a 3 x 3 Gaussian blur plus addWeighted, the low pass with a 3 x 3 box blur: different maths,
reported for orientation only.
ImageMagick is not compared: its command line cannot time a convolution without decoding and
encoding files around it.
"""
import math
import os
import sys

try:
    import cv2
    import numpy as np
except ImportError:
    # The system interpreter carries the distribution's OpenCV when a user-level one does not.
    if os.path.exists("/usr/bin/python3") and os.path.realpath(sys.executable) != os.path.realpath(
            "/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    raise

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from compare_lib import Pair, run  # noqa: E402

cv2.setNumThreads(1)
rng = np.random.default_rng(1)
src = rng.integers(0, 256, (1600, 2500, 3), dtype=np.uint8)
dst = np.empty_like(src)
blurred = np.empty_like(src)


def low_pass_kernel(n):
    """The low-pass weights by distance from the centre, as the engine makes them."""
    c = n // 2
    d = c + 1
    e = 2 if c < 2 else d * d
    f = round(e / d)
    k = np.empty((n, n), np.float64)
    for i in range(n):
        for j in range(n):
            s = float(np.sqrt(np.float32((i - c) ** 2 + (j - c) ** 2)))
            k[i, j] = max(1, round(e - f * s))
    return (k / k.sum()).astype(np.float32)


def convolve(n):
    kernel = low_pass_kernel(n)
    return lambda: cv2.filter2D(src, -1, kernel, dst=dst, borderType=cv2.BORDER_REPLICATE)


def unsharp():
    cv2.GaussianBlur(src, (3, 3), 0, dst=blurred, borderType=cv2.BORDER_REPLICATE)
    cv2.addWeighted(src, 2.0, blurred, -1.0, 0, dst=dst)


def box():
    cv2.blur(src, (3, 3), dst=dst, borderType=cv2.BORDER_REPLICATE)


T = True
pairs = [
    Pair("arithmetic in row bands (machine reference)", "BM_ComputeBands", None, None, None, T,
         reference=True),
    Pair("convolve 3x3, 4 MP", "BM_Convolve3x3", "cv2.filter2D", convolve(3), 2.0, T),
    Pair("convolve 9x9, 4 MP", "BM_Convolve9x9", "cv2.filter2D", convolve(9), 2.0, T, 0.5),
    Pair("convolve 21x21, 4 MP", "BM_Convolve21x21", "cv2.filter2D", convolve(21), 1.5, T, 0.5),
    Pair("unsharp mask 3x3, 4 MP", "BM_UnsharpMask", "cv2.GaussianBlur+addWeighted", unsharp,
         None, T),
    Pair("low pass 3x3 box, 4 MP", "BM_LowPass", "cv2.blur", box, None, T),
    Pair("plain copy, 4 MP", "BM_FilterPictureCopy", "numpy copyto",
         lambda: np.copyto(dst, src)),
]
assert math.isclose(float(low_pass_kernel(5).sum()), 1.0, rel_tol=1e-6)
run("Kernel filters (ours vs OpenCV)", pairs, cv2.setNumThreads)
