"""Rotation and RGB arrangement against OpenCV, on the very sizes our benchmarks use.

The general rotation refuses results beyond the working size limit, so it turns a 1674 x 1255
source by 30 degrees into 2078 x 1924 (4.0 MP); the RGB arrangement runs on 2309 x 1732 (4.0 MP);
quarter turns and the plain copy on 4000 x 3000 (12 MP).
ImageMagick is not compared: its command line cannot time a rotation without decoding and
encoding files around it.
"""
import math
import os
import sys

import cv2
import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from compare_lib import Pair, run  # noqa: E402

cv2.setNumThreads(1)
rng = np.random.default_rng(1)


def picture(width, height):
    return rng.integers(0, 256, (height, width, 3), dtype=np.uint8)


# General rotation: the same affine map as ours (turn, then shift by the corner minima).
src = picture(1674, 1255)
theta = np.float32(30 * math.pi / 180)
c, s = float(np.float32(math.cos(theta))), float(np.float32(math.sin(theta)))
corners_x = [x * c - y * s for x in (0, 1673) for y in (0, 1254)]
corners_y = [x * s + y * c for x in (0, 1673) for y in (0, 1254)]


def half_away(x):
    return int(math.copysign(math.floor(abs(x) + 0.5), x))


mx, my = half_away(min(corners_x)), half_away(min(corners_y))
forward = np.array([[c, -s, -mx], [s, c, -my]], dtype=np.float64)
rotated = np.empty((1924, 2078, 3), np.uint8)


def warp(flags):
    return lambda: cv2.warpAffine(src, forward, (2078, 1924), dst=rotated, flags=flags,
                                  borderMode=cv2.BORDER_CONSTANT, borderValue=(255, 255, 255))


big = picture(4000, 3000)
turned = np.empty((4000, 3000, 3), np.uint8)
copied = np.empty_like(big)

rgb = picture(2309, 1732)
swap_matrix = np.array([[0, 0, 1], [0, 1.2, 0], [1, 0, 0]], np.float32)
average_matrix = np.array([[0, 0, 0.9], [1 / 3, 1 / 3, 1 / 3], [1, 0, 0]], np.float32)

T = True
pairs = [
    Pair("rotate 30 deg mode 0 (4.0 MP out)", "BM_RotateMode0_30", "cv2.warpAffine linear",
         warp(cv2.INTER_LINEAR), 2.0, T, 1.0),
    Pair("rotate 30 deg mode 1 (4.0 MP out)", "BM_RotateMode1_30", "cv2.warpAffine linear",
         warp(cv2.INTER_LINEAR), 4.0, T),
    Pair("rotate 30 deg mode 2 (4.0 MP out)", "BM_RotateMode2_30", "cv2.warpAffine nearest",
         warp(cv2.INTER_NEAREST), None, T),
    Pair("quarter turn 12 MP", "BM_QuarterTurn", "cv2.rotate",
         lambda: cv2.rotate(big, cv2.ROTATE_90_CLOCKWISE), None, T),
    Pair("half turn 12 MP", "BM_HalfTurn", "cv2.rotate",
         lambda: cv2.rotate(big, cv2.ROTATE_180), None, T),
    Pair("quarter turn 12 MP vs copy", "BM_QuarterTurn", "numpy copy",
         lambda: np.copyto(copied, big), 3.0, T),
    Pair("plain copy 12 MP", "BM_CopyPictureRotation", "numpy copy",
         lambda: np.copyto(copied, big)),
    Pair("copy 12 MP in row bands (memory reference)", "BM_CopyPictureBands", "numpy copy",
         lambda: np.copyto(copied, big), None, T, reference=True),
    Pair("RGB arrange swap (4.0 MP)", "BM_RGBArrange", "cv2.transform 3x3",
         lambda: cv2.transform(rgb, swap_matrix), 2.0, T),
    Pair("RGB arrange with average (4.0 MP)", "BM_RGBArrangeAverage", "cv2.transform 3x3",
         lambda: cv2.transform(rgb, average_matrix), 2.0, T),
]

run("Rotation and RGB arrangement", pairs, cv2.setNumThreads)
