#include "trace/cross_profile.h"

#include <algorithm>
#include <cmath>

namespace lorvane {

LabColour LabImage::Sample(double x, double y) const {
    const double fx = std::clamp(x - 0.5, 0.0, width - 1.0);
    const double fy = std::clamp(y - 0.5, 0.0, height - 1.0);
    const int32_t x0 = static_cast<int32_t>(fx);
    const int32_t y0 = static_cast<int32_t>(fy);
    const int32_t x1 = std::min(x0 + 1, width - 1);
    const int32_t y1 = std::min(y0 + 1, height - 1);
    const float tx = static_cast<float>(fx - x0);
    const float ty = static_cast<float>(fy - y0);
    const auto mix = [](LabColour p, LabColour q, float t) {
        return LabColour{p.l + t * (q.l - p.l), p.a + t * (q.a - p.a), p.b + t * (q.b - p.b)};
    };
    return mix(mix(At(x0, y0), At(x1, y0), tx), mix(At(x0, y1), At(x1, y1), tx), ty);
}

std::optional<std::pair<double, double>> ProfileEdges(const LabImage& image, ImagePoint p,
                                                      double nx, double ny, LabColour colour,
                                                      const ProfileSettings& settings) {
    const auto samples = static_cast<size_t>(std::ceil(settings.reach / settings.step - 1e-9));
    const auto ramp = static_cast<size_t>(settings.ramp / settings.step);
    thread_local std::vector<float> distance;
    distance.resize(samples + 1);
    std::array<double, 2> edges{};
    for (size_t side = 0; side < 2; ++side) {
        const double sign = side == 0 ? 1 : -1;
        for (size_t k = 0; k <= samples; ++k) {
            const double t = sign * settings.step * static_cast<double>(k);
            distance[k] = LabDistance(image.Sample(p.x + t * nx, p.y + t * ny), colour);
        }
        size_t rise = 1;
        while (rise <= samples && distance[rise] - distance[0] < settings.minContrast) ++rise;
        if (rise > samples) return std::nullopt;
        const size_t beyond = ramp > 0 ? std::min(samples, rise + ramp) : samples;
        const float ground = *std::max_element(
            distance.begin(), distance.begin() + static_cast<std::ptrdiff_t>(beyond) + 1);
        const float half = distance[0] + 0.5f * (ground - distance[0]);
        size_t k = 1;
        while (distance[k] < half) ++k;
        const double part = (half - distance[k - 1]) / (distance[k] - distance[k - 1]);
        edges[side] = settings.step * (static_cast<double>(k - 1) + part);
    }
    return std::pair{edges[0], edges[1]};
}

std::vector<TracePoint> SmoothedLine(std::span<const ImagePoint> line, double spacing,
                                     double reach) {
    const auto half = std::max<size_t>(2, static_cast<size_t>(std::lround(reach / spacing)));
    std::vector<TracePoint> smoothed(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        const size_t k = std::min({half, i, line.size() - 1 - i});
        TracePoint sum;
        for (size_t j = i - k; j <= i + k; ++j) {
            sum.x += line[j].x;
            sum.y += line[j].y;
        }
        const auto count = static_cast<double>(2 * k + 1);
        smoothed[i] = {sum.x / count, sum.y / count};
    }
    return smoothed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t half = values.size() / 2;
    return values.size() % 2 == 1 ? values[half] : (values[half - 1] + values[half]) / 2;
}

}  // namespace lorvane
