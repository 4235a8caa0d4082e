#include "trace/line_measure.h"

#include <algorithm>
#include <cmath>

namespace lorvane {

namespace {

double Linear(uint8_t channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double LabCurve(double t) {
    constexpr double kEdge = 216.0 / 24389.0;
    return t > kEdge ? std::cbrt(t) : (24389.0 / 27.0 * t + 16.0) / 116.0;
}

LabColour ToLab(PaletteColour colour) {
    const double r = Linear(colour.red);
    const double g = Linear(colour.green);
    const double b = Linear(colour.blue);
    // XYZ relative to the D65 white.
    const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
    const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
    const double fx = LabCurve(x);
    const double fy = LabCurve(y);
    const double fz = LabCurve(z);
    return {static_cast<float>(116 * fy - 16), static_cast<float>(500 * (fx - fy)),
            static_cast<float>(200 * (fy - fz))};
}

// A float plane of the image's size, line after line.
struct Plane {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<float> values;
    float* Line(int32_t y) { return values.data() + static_cast<size_t>(y) * width; }
};

// Half a Gaussian kernel, weights 0..radius summing to 1 over both sides.
std::vector<float> GaussianKernel(double sigma) {
    const int radius = std::max(1, static_cast<int>(std::ceil(3 * sigma)));
    std::vector<float> kernel(radius + 1);
    double sum = 0;
    for (int i = 0; i <= radius; ++i) {
        const double w = std::exp(-0.5 * i * i / (sigma * sigma));
        kernel[i] = static_cast<float>(w);
        sum += i == 0 ? w : 2 * w;
    }
    for (float& w : kernel) w = static_cast<float>(w / sum);
    return kernel;
}

// Blurs the plane in place, the edge pixels repeated beyond the image.
void Blur(Plane& plane, Plane& scratch, const std::vector<float>& kernel) {
    const int32_t w = plane.width;
    const int32_t h = plane.height;
    const int radius = static_cast<int>(kernel.size()) - 1;
    std::vector<float> padded(static_cast<size_t>(w) + 2 * radius);
    for (int32_t y = 0; y < h; ++y) {
        const float* in = plane.Line(y);
        for (int32_t i = 0; i < w + 2 * radius; ++i)
            padded[i] = in[std::clamp(i - radius, 0, w - 1)];
        float* out = scratch.Line(y);
        for (int32_t x = 0; x < w; ++x) out[x] = kernel[0] * padded[x + radius];
        for (int j = 1; j <= radius; ++j) {
            const float k = kernel[j];
            for (int32_t x = 0; x < w; ++x)
                out[x] += k * (padded[x + radius - j] + padded[x + radius + j]);
        }
    }
    for (int32_t y = 0; y < h; ++y) {
        float* out = plane.Line(y);
        const float* centre = scratch.Line(y);
        for (int32_t x = 0; x < w; ++x) out[x] = kernel[0] * centre[x];
        for (int j = 1; j <= radius; ++j) {
            const float k = kernel[j];
            const float* up = scratch.Line(std::max(y - j, 0));
            const float* down = scratch.Line(std::min(y + j, h - 1));
            for (int32_t x = 0; x < w; ++x) out[x] += k * (up[x] + down[x]);
        }
    }
}

// ||λ1| − |λ2||² of the Hessian (xx, xy, yy): the smaller of the
// eigenvalues' squared difference and the squared trace.
float SquaredLineAnswer(float xx, float xy, float yy) {
    const float half = 0.5f * (xx - yy);
    const float trace = xx + yy;
    return std::min(4 * (half * half + xy * xy), trace * trace);
}

// A line of the plane with its edge pixels repeated one beyond each end.
void PadLine(Plane& plane, int32_t y, std::vector<float>& padded) {
    const int32_t w = plane.width;
    const float* line = plane.Line(std::clamp(y, 0, plane.height - 1));
    padded[0] = line[0];
    std::copy(line, line + w, padded.begin() + 1);
    padded[w + 1] = line[w - 1];
}

// Keeps, for each pixel, the strongest squared answer of the three blurred
// planes at this scale.
void MeasureScale(std::array<Plane, 3>& planes, float sigma, uint8_t scaleIndex,
                  std::vector<float>& squared, std::vector<uint8_t>& scale) {
    const int32_t w = planes[0].width;
    const float norm = sigma * sigma * sigma * sigma;
    std::array<std::vector<float>, 3> rows;
    for (auto& row : rows) row.resize(static_cast<size_t>(w) + 2);
    std::vector<float> sum(w);
    for (int32_t y = 0; y < planes[0].height; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (Plane& plane : planes) {
            PadLine(plane, y - 1, rows[0]);
            PadLine(plane, y, rows[1]);
            PadLine(plane, y + 1, rows[2]);
            const float* up = rows[0].data();
            const float* mid = rows[1].data();
            const float* down = rows[2].data();
            for (int32_t x = 0; x < w; ++x) {
                const float xx = mid[x] + mid[x + 2] - 2 * mid[x + 1];
                const float yy = up[x + 1] + down[x + 1] - 2 * mid[x + 1];
                const float xy = 0.25f * (up[x] + down[x + 2] - up[x + 2] - down[x]);
                sum[x] += SquaredLineAnswer(xx, xy, yy);
            }
        }
        float* kept = squared.data() + static_cast<size_t>(y) * w;
        uint8_t* keptScale = scale.data() + static_cast<size_t>(y) * w;
        for (int32_t x = 0; x < w; ++x) {
            const float answer = norm * sum[x];
            if (answer > kept[x]) {
                kept[x] = answer;
                keptScale[x] = scaleIndex;
            }
        }
    }
}

}  // namespace

std::array<LabColour, 256> PaletteLab(const std::array<PaletteColour, 256>& palette) {
    std::array<LabColour, 256> lab{};
    for (size_t i = 0; i < palette.size(); ++i) lab[i] = ToLab(palette[i]);
    return lab;
}

float LabDistance(LabColour p, LabColour q) {
    const float dl = p.l - q.l;
    const float da = p.a - q.a;
    const float db = p.b - q.b;
    return std::sqrt(dl * dl + da * da + db * db);
}

LineMeasure MeasureLines(const PcxImage& image, const std::array<LabColour, 256>& lab) {
    LineMeasure measure;
    measure.width = std::max(image.width, 0);
    measure.height = std::max(image.height, 0);
    const size_t count = static_cast<size_t>(measure.width) * measure.height;
    measure.strength.assign(count, 0.0f);
    measure.scale.assign(count, 0);
    if (count == 0) return measure;

    std::array<Plane, 3> planes;
    for (Plane& plane : planes) plane = {measure.width, measure.height, std::vector<float>(count)};
    for (int32_t y = 0; y < measure.height; ++y) {
        for (int32_t x = 0; x < measure.width; ++x) {
            const LabColour colour = lab[image.Index(x, y)];
            const size_t at = static_cast<size_t>(y) * measure.width + x;
            planes[0].values[at] = colour.l;
            planes[1].values[at] = colour.a;
            planes[2].values[at] = colour.b;
        }
    }
    Plane scratch{measure.width, measure.height, std::vector<float>(count)};
    // Each scale is reached from the one before by the blur that makes up
    // the difference (Gaussian variances add).
    double blurred = 0;
    for (size_t s = 0; s < kLineScales.size(); ++s) {
        const double sigma = kLineScales[s];
        const auto kernel = GaussianKernel(std::sqrt(sigma * sigma - blurred * blurred));
        for (Plane& plane : planes) Blur(plane, scratch, kernel);
        blurred = sigma;
        MeasureScale(planes, kLineScales[s], static_cast<uint8_t>(s), measure.strength,
                     measure.scale);
    }
    // Kept squared until here.
    for (float& strength : measure.strength) strength = std::sqrt(strength);
    return measure;
}

}  // namespace lorvane
