#pragma once

#include <string>
#include <vector>

// The largest kernel side the filters accept; larger requests are refused before allocation.
inline constexpr int kKernelSizeLimit = 255;

// Kernel presets of the free filter dialog. Each returns "n,w11,w12,...,wnn" (the kernel text
// without kind, grey flag and level), or an empty text when the request cannot be met. A
// requested size below 2 becomes 3 and an even size the next odd one; sizes past the largest
// kernel the filter accepts give an empty text.

// The low-pass weights of an n x n kernel (n >= 1), row by row: all ones, by grid distance
// d - max(|i - c|, |j - c|), or by distance round(e - f * s) from the centre; never below 1.
std::vector<int> LowPassWeights(int n, bool all_ones, bool grid_method);

// The centre weight that gives the centre percent of the total: round(p * others / (100 - p)).
// False when percent is 100 or more.
bool CentreWeightForPercent(long long others, int percent, long long& centre);

// The low-pass kernel.
std::string SmoothKernelText(int size, bool all_ones, bool grid_method);
// The low-pass kernel whose centre carries centre_percent of the total.
std::string SmoothKernelTextWithCentre(int size, bool all_ones, bool grid_method,
                                       int centre_percent);
// Zeros with a line of -1 ... +1 through the centre; direction is a numeric-keypad digit naming
// the side that gets -1 (8 up, 2 down, 4 left, 6 right, 7 9 1 3 the diagonals).
std::string LineKernelText(int size, int direction);
// The low-pass kernel with the named side negated, the opposite side kept and the rest zero.
std::string SplitKernelText(int size, int direction, bool all_ones, bool grid_method);
// The low-pass kernel negated (the centre row and column only with cross_only) with the centre
// taking the negated weight, so that the total is the smooth kernel's centre weight.
std::string SharpenKernelText(int size, bool cross_only, bool all_ones, bool grid_method);
// The low-pass kernel with one region negated by direction and the centre chosen so that the
// weights add up to 0. Only odd sizes of at least 3 give a kernel.
std::string ReliefKernelText(int size, int direction, bool all_ones, bool grid_method);
