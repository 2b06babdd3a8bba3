#include "engine/KernelGenerators.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

namespace {

// Sizes are made odd so that the kernel has a centre cell; 0 when the size is past the limit.
int NormalisedSize(int size) {
  const long long s = size < 2 ? 3 : (size % 2 != 0 ? size : static_cast<long long>(size) + 1);
  return s > kKernelSizeLimit ? 0 : static_cast<int>(s);
}

std::string KernelText(int n, const std::vector<int>& weights) {
  std::string text = std::to_string(n);
  for (int w : weights) {
    text += ',';
    text += std::to_string(w);
  }
  return text;
}

bool ReadInt(std::string_view field, int& value) {
  if (field.empty() || field.size() > 11) return false;
  char* end = nullptr;
  const std::string copy(field);
  const long long v = std::strtoll(copy.c_str(), &end, 10);
  if (end != copy.c_str() + copy.size() || v < -2147483648LL || v > 2147483647LL) return false;
  value = static_cast<int>(v);
  return true;
}

// Reads a generated kernel text back; its size must be expected_n and it must hold n * n
// weights, as the dialog checks before it uses a preset.
bool ReadKernelText(const std::string& text, int expected_n, std::vector<int>& weights) {
  weights.clear();
  std::size_t start = 0;
  int n = -1;
  bool first = true;
  while (start <= text.size()) {
    std::size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    int value = 0;
    if (!ReadInt(std::string_view(text).substr(start, end - start), value)) return false;
    if (first) {
      n = value;
      if (n != expected_n) return false;
      first = false;
    } else {
      weights.push_back(value);
      if (weights.size() > static_cast<std::size_t>(n) * n) return false;
    }
    start = end + 1;
  }
  return n > 0 && weights.size() == static_cast<std::size_t>(n) * n;
}

bool SmoothWeights(int size, bool all_ones, bool grid_method, int expected_n, int& n,
                   std::vector<int>& weights) {
  n = NormalisedSize(size);
  if (n == 0) return false;
  return ReadKernelText(SmoothKernelText(size, all_ones, grid_method), expected_n, weights);
}

}  // namespace

std::vector<int> LowPassWeights(int n, bool all_ones, bool grid_method) {
  std::vector<int> weights(static_cast<std::size_t>(n) * n, 1);
  if (all_ones) return weights;
  const int c = n / 2;
  const int d = c + 1;
  const int e = c < 2 ? 2 : d * d;
  const double f = std::nearbyint(static_cast<double>(e) / d);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const int di = std::abs(i - c);
      const int dj = std::abs(j - c);
      int w;
      if (grid_method) {
        w = d - (di > dj ? di : dj);
      } else {
        // The distance is taken in single precision, as the weights were always made.
        const float s = std::sqrt(static_cast<float>(di * di + dj * dj));
        w = static_cast<int>(std::nearbyint(e - f * static_cast<double>(s)));
      }
      weights[static_cast<std::size_t>(i) * n + j] = w < 1 ? 1 : w;
    }
  }
  return weights;
}

bool CentreWeightForPercent(long long others, int percent, long long& centre) {
  if (percent >= 100) return false;
  centre = static_cast<long long>(std::nearbyint(static_cast<double>(percent) *
                                                 static_cast<double>(others) / (100.0 - percent)));
  return true;
}

std::string SmoothKernelText(int size, bool all_ones, bool grid_method) {
  const int n = NormalisedSize(size);
  if (n == 0) return {};
  return KernelText(n, LowPassWeights(n, all_ones, grid_method));
}

std::string SmoothKernelTextWithCentre(int size, bool all_ones, bool grid_method,
                                       int centre_percent) {
  const int n = NormalisedSize(size);
  if (n == 0) return {};
  std::vector<int> weights = LowPassWeights(n, all_ones, grid_method);
  const std::size_t centre_index = static_cast<std::size_t>(n / 2) * n + n / 2;
  long long others = 0;
  for (std::size_t k = 0; k < weights.size(); ++k)
    if (k != centre_index) others += weights[k];
  long long centre = 0;
  if (!CentreWeightForPercent(others, centre_percent, centre)) return {};
  if (centre > 2147483647LL || centre < -2147483647LL) return {};
  weights[centre_index] = static_cast<int>(centre);
  return KernelText(n, weights);
}

std::string LineKernelText(int size, int direction) {
  const int n = NormalisedSize(size);
  if (n == 0) return {};
  const int c = n / 2;
  std::vector<int> w(static_cast<std::size_t>(n) * n, 0);
  auto at = [&](int row, int column) -> int& {
    return w[static_cast<std::size_t>(row) * n + column];
  };
  for (int k = 0; k < n; ++k) {
    if (k == c) continue;
    // Sign for the cell on the k side: -1 on the upper / left half for the "before" directions.
    const int before = k < c ? -1 : 1;
    switch (direction) {
      case 8:
        at(k, c) = before;
        break;
      case 2:
        at(k, c) = -before;
        break;
      case 4:
        at(c, k) = before;
        break;
      case 6:
        at(c, k) = -before;
        break;
      case 7:
        at(k, k) = before;
        break;
      case 3:
        at(k, k) = -before;
        break;
      case 9:
        at(k, n - 1 - k) = before;
        break;
      case 1:
        at(k, n - 1 - k) = -before;
        break;
      default:
        return {};
    }
  }
  return KernelText(n, w);
}

std::string SplitKernelText(int size, int direction, bool all_ones, bool grid_method) {
  int n = 0;
  std::vector<int> w;
  if (!SmoothWeights(size, all_ones, grid_method, NormalisedSize(size), n, w)) return {};
  const int c = n / 2;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const bool up = i<c, down = i> c, left = j<c, right = j> c;
      bool negated = false, kept = false;
      switch (direction) {
        case 8:
          negated = up;
          kept = down;
          break;
        case 2:
          negated = down;
          kept = up;
          break;
        case 4:
          negated = left;
          kept = right;
          break;
        case 6:
          negated = right;
          kept = left;
          break;
        case 7:
          negated = up && left;
          kept = down && right;
          break;
        case 3:
          negated = down && right;
          kept = up && left;
          break;
        case 9:
          negated = up && right;
          kept = down && left;
          break;
        case 1:
          negated = down && left;
          kept = up && right;
          break;
        default:
          return {};
      }
      int& cell = w[static_cast<std::size_t>(i) * n + j];
      cell = negated ? -cell : (kept ? cell : 0);
    }
  }
  return KernelText(n, w);
}

std::string SharpenKernelText(int size, bool cross_only, bool all_ones, bool grid_method) {
  int n = 0;
  std::vector<int> w;
  if (!SmoothWeights(size, all_ones, grid_method, NormalisedSize(size), n, w)) return {};
  const int c = n / 2;
  long long negated_sum = 0;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      int& cell = w[static_cast<std::size_t>(i) * n + j];
      if (!cross_only || i == c || j == c) {
        negated_sum += cell;
        cell = -cell;
      } else {
        cell = 0;
      }
    }
  }
  w[static_cast<std::size_t>(c) * n + c] = static_cast<int>(negated_sum);
  return KernelText(n, w);
}

std::string ReliefKernelText(int size, int direction, bool all_ones, bool grid_method) {
  if (direction < 1 || direction > 9 || direction == 5) return {};
  int n = 0;
  std::vector<int> w;
  // The smooth kernel must have exactly the size asked for.
  if (!SmoothWeights(size, all_ones, grid_method, size, n, w)) return {};
  const int c = n / 2;
  w[static_cast<std::size_t>(c) * n + c] = 0;
  long long sum = 0;
  for (int j = 0; j < n; ++j) {
    for (int k = 0; k < n; ++k) {
      bool negated = false;
      switch (direction) {
        case 8:
          negated = j > c;
          break;
        case 2:
          negated = j < c;
          break;
        case 4:
          negated = k > c;
          break;
        case 6:
          negated = k < c;
          break;
        case 7:
          negated = j >= c && k >= c;
          break;
        case 3:
          negated = j <= c && k <= c;
          break;
        case 9:
          negated = j >= c && k <= c;
          break;
        case 1:
          negated = j <= c && k >= c;
          break;
      }
      int& cell = w[static_cast<std::size_t>(j) * n + k];
      if (negated) cell = -cell;
      sum += cell;
    }
  }
  w[static_cast<std::size_t>(c) * n + c] = static_cast<int>(-sum);
  return KernelText(n, w);
}
