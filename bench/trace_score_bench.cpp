// The tracer scored against centre lines that are known: on tiles painted
// in code (every width from 2 to 15 pixels, straight and curved, crossings,
// parallel bands, soft edges, 256 colours by median cut, blur, noise and
// objects over the band) and on real pictures nobody here painted (Landsat,
// orthophoto and aerial figures of Debian's grass-doc and opencv-doc, made
// into PCX tiles by tools/bench_imagery.sh), whose roads were labelled by
// hand in bench/data/real_roads.json. Each path is traced with the clicks a
// user would give (its two ends, and for a real road at most one waypoint
// from its label) and printed with its figures (trace_score.h) against the
// goals of its group. A report, not a test: nothing here fails.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <numbers>
#include <string>
#include <vector>

#include "support/painted_tile.h"
#include "trace_score.h"

namespace {

using namespace lorvane;
using namespace lorvane::bench;
using testing::ArcLine;
using testing::kRiverColour;
using testing::kRoadColour;
using testing::PaintBand;
using testing::PaintedGround;

constexpr int32_t kSize = 512;
const PaletteColour kRoadRgb{178, 176, 172};
const PaletteColour kRiverRgb{50, 90, 190};

const TraceGoal kClean{"clean: >= 99 %, p95 <= 1.5 px, width within 2 px", 0.99, 1.5, 2.0, {}};
const TraceGoal kDegraded{"blur, noise, cover: >= 95 %", 0.95, {}, {}, {}};
const TraceGoal kReal{"real: completeness >= 90 %, <= 3 clicks", 0.90, {}, {}, 3, false};

struct Case {
    std::string name;
    const TraceGoal* goal = nullptr;
    PcxImage image;
    Polyline truth;  // the part of the centre line traced, pixels
    double width = 0;
    Polyline clicks;
};

// A line through the tile's middle at this angle (degrees), `half` pixels
// each way.
Polyline Through(double degrees, double half, TracePoint mid = {256, 256}) {
    const double a = degrees * std::numbers::pi / 180;
    return {{mid.x - half * std::cos(a), mid.y - half * std::sin(a)},
            {mid.x + half * std::cos(a), mid.y + half * std::sin(a)}};
}

// A wave across the tile: y = 256 + amplitude sin(2π x / period).
Polyline Wave(double amplitude, double period) {
    Polyline line;
    for (double x = 20; x <= 492; x += 2)
        line.push_back({x, 256 + amplitude * std::sin(2 * std::numbers::pi * x / period)});
    return line;
}

// The painted line traced between 15 % and 85 % of its length (the band
// goes on beyond both clicks, as a road does).
Case Traced(std::string name, const TraceGoal& goal, PcxImage image, const Polyline& line,
            double width) {
    const double length = LengthOf(line);
    Polyline truth = PartOf(line, 0.15 * length, 0.85 * length);
    Polyline clicks{truth.front(), truth.back()};
    return {std::move(name), &goal, std::move(image), std::move(truth), width, std::move(clicks)};
}

std::string Named(const char* what, double width) {
    char text[64];
    std::snprintf(text, sizeof text, "%s, %g px", what, width);
    return text;
}

// Soft edges on the painted ground, changed by `spoil`, in 256 colours.
PcxImage SoftTile(uint32_t seed, const Polyline& line, double width,
                  const std::function<void(testing::RgbTile&)>& spoil = {}) {
    testing::RgbTile tile = testing::ToRgb(PaintedGround(kSize, seed));
    testing::PaintSoftBand(tile, line, width, kRoadRgb);
    if (spoil) spoil(tile);
    return testing::Quantise(tile);
}

// Objects over a band at three places along it: a blot of a ground colour
// over one side (1.2 widths across), one over all of it (2 widths) and a
// dark tree crown over all of it (1.5 widths).
void Cover(PcxImage& image, const Polyline& line, double width) {
    const double length = LengthOf(line);
    const TracePoint side = PointAlong(line, 0.3 * length);
    PaintBand(image,
              {{side.x + 0.3 * width, side.y - 0.3 * width},
               {side.x + 0.3 * width, side.y - 0.3 * width}},
              1.2 * width, 2);
    const TracePoint across = PointAlong(line, 0.5 * length);
    PaintBand(image, {across, across}, 2 * width, 5);
    const TracePoint crown = PointAlong(line, 0.7 * length);
    PaintBand(image, {crown, crown}, 1.5 * width, 0);
}

std::vector<Case> PaintedCases() {
    std::vector<Case> cases;
    uint32_t seed = 100;
    // Straight, every width, at awkward angles.
    for (const double width : {2.0, 3.0, 4.0, 6.0, 8.0, 10.0, 12.0, 15.0}) {
        const Polyline line = Through(17 + 11 * width, 230);
        PcxImage image = PaintedGround(kSize, ++seed);
        PaintBand(image, line, width, kRoadColour);
        cases.push_back(Traced(Named("straight", width), kClean, image, line, width));
    }
    // Curved: arcs of two radii and a wave.
    for (const double width : {2.0, 4.0, 8.0, 12.0, 15.0}) {
        const Polyline arc = ArcLine(256, 256, width < 10 ? 150 : 200, 200, 340);
        PcxImage image = PaintedGround(kSize, ++seed);
        PaintBand(image, arc, width, kRiverColour);
        cases.push_back(Traced(Named("arc", width), kClean, image, arc, width));
    }
    for (const double width : {3.0, 7.0}) {
        const Polyline wave = Wave(60, 320);
        PcxImage image = PaintedGround(kSize, ++seed);
        PaintBand(image, wave, width, kRoadColour);
        cases.push_back(Traced(Named("wave", width), kClean, image, wave, width));
    }
    // Crossings: a road over a river, and two roads of one colour.
    for (const double width : {4.0, 8.0}) {
        const Polyline road = Through(20, 230);
        PcxImage image = PaintedGround(kSize, ++seed);
        PaintBand(image, ArcLine(256, -200, 460, 60, 120), 14, kRiverColour);
        PaintBand(image, road, width, kRoadColour);
        cases.push_back(Traced(Named("road over a river", width), kClean, image, road, width));
    }
    for (const double width : {3.0, 6.0}) {
        const Polyline road = Through(-30, 230);
        PcxImage image = PaintedGround(kSize, ++seed);
        PaintBand(image, road, width, kRoadColour);
        PaintBand(image, Through(45, 230), width, kRoadColour);
        cases.push_back(Traced(Named("crossroads", width), kClean, image, road, width));
    }
    // Parallel: a second band of the same colour two widths beside it.
    for (const double width : {3.0, 6.0, 10.0}) {
        const Polyline first = Through(8, 230);
        const double apart = 3 * width;  // centre to centre: edge to edge two widths
        Polyline second = first;
        for (TracePoint& p : second)
            p = {p.x - apart * std::sin(8 * std::numbers::pi / 180),
                 p.y + apart * std::cos(8 * std::numbers::pi / 180)};
        PcxImage image = PaintedGround(kSize, ++seed);
        PaintBand(image, first, width, kRoadColour);
        PaintBand(image, second, width, kRoadColour);
        cases.push_back(
            Traced(Named("parallel, two widths apart", width), kClean, image, first, width));
    }
    // Soft edges, and light falling unevenly so that the road takes many
    // of the 256 colours.
    for (const double width : {2.0, 4.0, 8.0, 12.0}) {
        const Polyline arc = ArcLine(256, 420, 260, 200, 340);
        cases.push_back(
            Traced(Named("soft edges", width), kClean, SoftTile(++seed, arc, width), arc, width));
    }
    for (const double width : {3.0, 6.0, 10.0}) {
        const Polyline line = Through(-12, 230);
        cases.push_back(Traced(
            Named("256 colours, uneven light", width), kClean,
            SoftTile(++seed, line, width, [](testing::RgbTile& t) { testing::Shade(t, 0.7, 1.2); }),
            line, width));
    }
    // Blur, noise and covering objects.
    for (const double sigma : {1.0, 2.0})
        for (const double width : {3.0, 6.0, 12.0}) {
            const Polyline arc = ArcLine(256, 420, 260, 200, 340);
            char name[64];
            std::snprintf(name, sizeof name, "blur sigma %g, %g px", sigma, width);
            cases.push_back(
                Traced(name, kDegraded,
                       SoftTile(++seed, arc, width,
                                [sigma](testing::RgbTile& t) { testing::Blur(t, sigma); }),
                       arc, width));
        }
    for (const double sigma : {8.0, 16.0})
        for (const double width : {3.0, 8.0}) {
            const Polyline line = Through(33, 230);
            char name[64];
            std::snprintf(name, sizeof name, "noise sigma %g, %g px", sigma, width);
            const uint32_t noiseSeed = ++seed;
            cases.push_back(Traced(name, kDegraded,
                                   SoftTile(noiseSeed, line, width,
                                            [sigma, noiseSeed](testing::RgbTile& t) {
                                                testing::AddNoise(t, sigma, noiseSeed);
                                            }),
                                   line, width));
        }
    for (const double width : {3.0, 6.0, 10.0}) {
        const Polyline wave = Wave(50, 360);
        PcxImage image = PaintedGround(kSize, ++seed);
        PaintBand(image, wave, width, kRoadColour);
        Cover(image, wave, width);
        cases.push_back(
            Traced(Named("covered at three places", width), kDegraded, image, wave, width));
    }
    {
        const double width = 6;
        const Polyline arc = ArcLine(256, 420, 260, 200, 340);
        testing::RgbTile tile = testing::ToRgb(PaintedGround(kSize, ++seed));
        testing::PaintSoftBand(tile, arc, width, kRoadRgb);
        PcxImage covered = testing::Quantise(tile);
        Cover(covered, arc, width);
        tile = testing::ToRgb(covered);
        testing::Blur(tile, 1);
        testing::AddNoise(tile, 8, seed);
        cases.push_back(Traced("covered, blurred and noisy, 6 px", kDegraded,
                               testing::Quantise(tile), arc, width));
    }
    return cases;
}

// The real pictures' roads, from the labels; the images from the folder
// tools/bench_imagery.sh wrote. Sets `skipped` to what is missing.
std::vector<Case> RealCases(const std::filesystem::path& labels,
                            const std::filesystem::path& imagery, std::string& skipped) {
    std::vector<Case> cases;
    std::ifstream in(labels);
    if (!in) {
        skipped = "no labels at " + labels.string();
        return cases;
    }
    const nlohmann::json json = nlohmann::json::parse(in);
    for (const auto& picture : json.at("pictures")) {
        const std::string file = picture.at("file");
        const auto image = LoadPcxTile(imagery / file);
        if (!image) {
            skipped += (skipped.empty() ? "" : ", ") + (imagery / file).string();
            continue;
        }
        for (const auto& road : picture.at("roads")) {
            Case c;
            c.name = file.substr(0, file.find('.')) + ": " + road.at("name").get<std::string>();
            if (road.value("held_out", false)) c.name += " [held out]";
            c.goal = &kReal;
            c.image = *image;
            c.width = road.at("width");
            for (const auto& p : road.at("line")) c.truth.push_back({p.at(0), p.at(1)});
            c.clicks = {c.truth.front()};
            if (road.value("waypoint", false))
                c.clicks.push_back(PointAlong(c.truth, LengthOf(c.truth) / 2));
            c.clicks.push_back(c.truth.back());
            cases.push_back(std::move(c));
        }
    }
    return cases;
}

struct Totals {
    size_t count = 0;
    size_t met = 0;
    double completeness = 0;
    double correctness = 0;
    double worstCompleteness = 1;
    double worstCorrectness = 1;
    double worstP95 = 0;
    double worstWidth = 0;
    double widthError = 0;
    size_t segments = 0;
    size_t clicks = 0;
    size_t handClicks = 0;
    double slowestMs = 0;
};

void Add(Totals& totals, const TraceScore& score, bool met, double ms) {
    ++totals.count;
    totals.met += met ? 1 : 0;
    totals.completeness += score.completeness;
    totals.correctness += score.correctness;
    totals.worstCompleteness = std::min(totals.worstCompleteness, score.completeness);
    totals.worstCorrectness = std::min(totals.worstCorrectness, score.correctness);
    totals.worstP95 = std::max(totals.worstP95, score.p95);
    totals.worstWidth = std::max(totals.worstWidth, score.widthError);
    totals.widthError += score.widthError;
    totals.segments += score.segments;
    totals.clicks += score.clicks;
    totals.handClicks += score.handClicks;
    totals.slowestMs = std::max(totals.slowestMs, ms);
}

void PrintHeader() {
    std::printf("%-40s %5s %7s %7s %6s %6s %5s %12s  %s\n", "case", "width", "compl", "correct",
                "p95", "w.err", "segs", "clicks/hand", "goals");
}

// With --verbose, the clicks and the trace's vertices of every path that
// misses its goals.
bool verbose = false;

void PrintLine(const char* what, const Polyline& line) {
    std::printf("    %s:", what);
    for (const TracePoint p : line) std::printf(" %.1f,%.1f", p.x, p.y);
    std::printf("\n");
}

void Run(std::vector<Case> cases, std::map<const TraceGoal*, Totals>& totals) {
    const PcxImage* lastImage = nullptr;
    std::optional<Tracer> tracer;
    for (const Case& c : cases) {
        if (lastImage == nullptr || lastImage->pixels != c.image.pixels) tracer.emplace(c.image);
        lastImage = &c.image;
        const ClickedTrace trace = TraceClicks(*tracer, c.clicks);
        const TraceScore score = Score(c.truth, c.width, trace);
        const std::string missed = Missed(score, *c.goal);
        std::printf("%-40s %5.1f %6.1f%% %6.1f%% %6.2f %6.2f %5zu %5zu / %-4zu  %s%s\n",
                    c.name.c_str(), c.width, 100 * score.completeness, 100 * score.correctness,
                    score.p95, score.widthError, score.segments, score.clicks, score.handClicks,
                    missed.empty() ? "met" : "missed: ", missed.c_str());
        if (verbose && !missed.empty()) {
            PrintLine("clicks", c.clicks);
            PrintLine("trace", trace.vertices);
        }
        if (trace.refused > 0)
            std::printf("    (%zu of %zu legs refused)\n", trace.refused, trace.legs);
        Add(totals[c.goal], score, missed.empty(), trace.slowestLegMs);
    }
}

}  // namespace

int main(int argc, char** argv) {
    verbose = argc > 1 && std::string(argv[1]) == "--verbose";
    const char* imageryOverride = std::getenv("LORVANE_BENCH_IMAGERY");
    const std::filesystem::path imagery =
        imageryOverride != nullptr ? imageryOverride : LORVANE_BENCH_IMAGERY;
    const std::filesystem::path labels =
        std::filesystem::path(LORVANE_SOURCE_DIR) / "bench/data/real_roads.json";

    std::map<const TraceGoal*, Totals> totals;
    std::printf("Painted tiles (%d x %d), clicks at the two ends of the traced part:\n", kSize,
                kSize);
    PrintHeader();
    Run(PaintedCases(), totals);

    std::string skipped;
    std::vector<Case> real = RealCases(labels, imagery, skipped);
    std::printf("\nReal pictures (%s), roads labelled by hand:\n", imagery.string().c_str());
    if (!skipped.empty())
        std::printf(
            "SKIPPED (pictures absent): %s\n  make bench installs grass-doc and opencv-doc and "
            "runs tools/bench_imagery.sh\n",
            skipped.c_str());
    if (!real.empty()) {
        PrintHeader();
        Run(std::move(real), totals);
    }

    std::printf("\nSummary by goal (mean; worst):\n");
    for (const TraceGoal* goal : {&kClean, &kDegraded, &kReal}) {
        const auto found = totals.find(goal);
        if (found == totals.end()) continue;
        const Totals& t = found->second;
        const auto n = static_cast<double>(t.count);
        std::printf(
            "  %s\n    %zu paths, %zu meet the goals; completeness %.1f%% (worst %.1f%%), "
            "correctness %.1f%% (worst %.1f%%), p95 worst %.2f px, width error %.2f px (worst "
            "%.2f), segments %.1f a path, clicks %.2f a path against %.2f by hand; slowest "
            "leg %.1f ms\n",
            goal->name.c_str(), t.count, t.met, 100 * t.completeness / n, 100 * t.worstCompleteness,
            100 * t.correctness / n, 100 * t.worstCorrectness, t.worstP95, t.widthError / n,
            t.worstWidth, static_cast<double>(t.segments) / n, static_cast<double>(t.clicks) / n,
            static_cast<double>(t.handClicks) / n, t.slowestMs);
    }
    return 0;
}
