// lorvane-cli trace IMAGE.PCX --from X,Y --to X,Y [--via X,Y]... [--json]
// lorvane-cli suggest IMAGE.PCX [--min-length FEET] [--json]
//
// trace follows a feature of a tile image from one point to another as the
// editor's Trace tool does (Tracer), leg by leg through the --via points,
// each leg going on from where the one before ended; suggest lists every
// linear feature the image shows (SuggestPaths). Points are in tile feet as
// stored: X up from the bottom edge, Y across from the left edge, 0 to
// 3280 whatever the image's size.

#include <charconv>
#include <cmath>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "base/format.h"
#include "base/json_writer.h"
#include "cli/cli.h"
#include "cli/tile_image_input.h"
#include "trace/cross_profile.h"
#include "trace/suggester.h"
#include "trace/tracer.h"

namespace lorvane::cli {

namespace {

// A leg whose way runs on the colour at its start for less than this share
// connects nothing: the point it goes to is off the feature.
constexpr double kMinOnFeature = 0.5;

// "X,Y" in tile feet; nullopt after a usage message when it is not two
// numbers in 0 to kTraceTileFeet.
std::optional<TracePoint> ParsePoint(const std::string& option, const std::string& text) {
    const size_t comma = text.find(',');
    TracePoint point;
    const auto number = [](std::string_view part, double& value) {
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
        return error == std::errc() && end == part.data() + part.size() && !part.empty() &&
               std::isfinite(value);
    };
    const std::string_view all(text);
    if (comma == std::string::npos || !number(all.substr(0, comma), point.x) ||
        !number(all.substr(comma + 1), point.y)) {
        std::cerr << "lorvane-cli: " << option << ' ' << text
                  << ": expected X,Y in tile feet (two numbers, such as 1200,350.5)\n";
        return std::nullopt;
    }
    if (point.x < 0 || point.x > kTraceTileFeet || point.y < 0 || point.y > kTraceTileFeet) {
        std::cerr << "lorvane-cli: " << option << ' ' << text << ": a point of the tile is 0 to "
                  << kTraceTileFeet << " feet each way\n";
        return std::nullopt;
    }
    return point;
}

void WriteSegmentsJson(JsonWriter& json, const std::vector<TraceSegment>& segments) {
    json.Key("segments");
    json.BeginArray();
    for (const TraceSegment& s : segments) {
        json.BeginObject();
        json.Key("startX");
        json.Real(s.start.x);
        json.Key("startY");
        json.Real(s.start.y);
        json.Key("endX");
        json.Real(s.end.x);
        json.Key("endY");
        json.Real(s.end.y);
        json.EndObject();
    }
    json.EndArray();
}

void PrintSegments(const std::vector<TraceSegment>& segments, const char* indent) {
    for (size_t i = 0; i < segments.size(); ++i) {
        const TraceSegment& s = segments[i];
        std::cout << indent
                  << FormatText("segment %d: %.1f,%.1f -> %.1f,%.1f", static_cast<int>(i + 1),
                                s.start.x, s.start.y, s.end.x, s.end.y)
                  << '\n';
    }
}

struct TraceOptionsCli {
    PathArgument image;
    std::string from;
    std::string to;
    std::vector<std::string> via;
    bool json = false;
};

int Trace(const TraceOptionsCli& options) {
    std::vector<TracePoint> points;
    const auto add = [&](const char* option, const std::string& text) {
        const auto point = ParsePoint(option, text);
        if (point) points.push_back(*point);
        return point.has_value();
    };
    if (!add("--from", options.from)) return kUsage;
    for (const std::string& via : options.via)
        if (!add("--via", via)) return kUsage;
    if (!add("--to", options.to)) return kUsage;
    const std::optional<PcxImage> image = ReadTileImage(options.image);
    if (!image) return kFailed;

    Tracer tracer(*image);
    // A leg's start lands on the last leg's end when it lies within the
    // reach of a click of it (both come from the same point).
    const double snapFeet =
        2 * kClickReach * kTraceTileFeet / std::min(tracer.width(), tracer.height());
    std::vector<TraceSegment> segments;
    std::vector<double> widths;
    for (size_t leg = 0; leg + 1 < points.size(); ++leg) {
        const TracePoint from = points[leg];
        const TracePoint to = points[leg + 1];
        std::vector<TracePoint> ends;
        if (!segments.empty()) ends.push_back(segments.back().end);
        const auto result = tracer.Trace(from, to, {ends, snapFeet});
        const std::string between =
            FormatText("from %.1f,%.1f to %.1f,%.1f", from.x, from.y, to.x, to.y);
        if (!result || result->segments.empty()) {
            std::cerr << "lorvane-cli: " << options.image.text() << ": nothing to trace " << between
                      << " (both points fall on one pixel of the image)\n";
            return kFailed;
        }
        if (result->onFeature < kMinOnFeature) {
            std::cerr << "lorvane-cli: " << options.image.text() << ": no feature connects "
                      << between
                      << FormatText(" (only %.0f %% of the way runs on the colour at its start)",
                                    100 * result->onFeature)
                      << '\n';
            return kFailed;
        }
        std::vector<TraceSegment> legSegments = result->segments;
        // Joined to the leg before, whatever the snap found.
        if (!segments.empty()) legSegments.front().start = segments.back().end;
        segments.insert(segments.end(), legSegments.begin(), legSegments.end());
        widths.push_back(result->widthFeet);
    }
    const double width = Median(widths);
    if (options.json) {
        JsonWriter json(std::cout);
        json.BeginObject();
        json.Key("width");
        json.Real(width);
        WriteSegmentsJson(json, segments);
        json.EndObject();
        json.Flush();
        std::cout << '\n';
    } else {
        std::cout << FormatText("width %.1f feet, %d segments", width,
                                static_cast<int>(segments.size()))
                  << '\n';
        PrintSegments(segments, "  ");
    }
    return kSuccess;
}

struct SuggestOptionsCli {
    PathArgument image;
    double minLength = SuggestOptions{}.minLengthFeet;
    bool json = false;
};

int Suggest(const SuggestOptionsCli& options) {
    const std::optional<PcxImage> image = ReadTileImage(options.image);
    if (!image) return kFailed;
    SuggestOptions suggest;
    suggest.minLengthFeet = options.minLength;
    const std::vector<SuggestedPath> paths = SuggestPaths(*image, suggest);
    if (options.json) {
        JsonWriter json(std::cout);
        json.BeginObject();
        json.Key("paths");
        json.BeginArray();
        for (const SuggestedPath& path : paths) {
            json.BeginObject();
            json.Key("colour");
            json.BeginArray();
            for (const uint8_t channel : path.colour) json.Integer(channel);
            json.EndArray();
            json.Key("width");
            json.Real(path.widthFeet);
            WriteSegmentsJson(json, path.segments);
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
        json.Flush();
        std::cout << '\n';
        return kSuccess;
    }
    std::cout << paths.size() << (paths.size() == 1 ? " path" : " paths") << '\n';
    for (size_t p = 0; p < paths.size(); ++p) {
        const SuggestedPath& path = paths[p];
        std::cout << FormatText("path %d: colour %d,%d,%d, width %.1f feet, %d segments",
                                static_cast<int>(p + 1), path.colour[0], path.colour[1],
                                path.colour[2], path.widthFeet,
                                static_cast<int>(path.segments.size()))
                  << '\n';
        PrintSegments(path.segments, "  ");
    }
    return kSuccess;
}

const CommandRegistration trace("trace", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<TraceOptionsCli>();
    CLI::App* command = app.add_subcommand(
        "trace", "Follow a road, river or railway of a tile image from one point to another");
    command->footer(
        "Points are X,Y in tile feet as stored: X up from the bottom edge, Y across from the left "
        "edge, 0 to 3280. The colour followed is the one at the start; with --via the trace goes "
        "leg by leg, each leg following the colour at its start and starting where the one "
        "before ended. Exit status 1 when a leg's "
        "points fall on one pixel, or when less than half of a leg's way runs on the feature "
        "(no feature connects the points), or when the image cannot be read; 2 for a point that "
        "is not two numbers in 0 to 3280.");
    command->add_option("IMAGE", options->image, "The tile's PCX image")->required();
    command->add_option("--from", options->from, "Where the trace starts: X,Y in feet")->required();
    command->add_option("--to", options->to, "Where it ends: X,Y in feet")->required();
    command->add_option("--via", options->via, "A point on the way, X,Y in feet (repeatable)")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    command->add_flag("--json", options->json,
                      "Print {\"width\", \"segments\": [{\"startX\", \"startY\", \"endX\", "
                      "\"endY\"}]}");
    command->callback([options, &exitStatus] { exitStatus = Trace(*options); });
});

const CommandRegistration suggest("suggest", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<SuggestOptionsCli>();
    CLI::App* command = app.add_subcommand(
        "suggest", "List every road, river or railway a tile image shows, longest first");
    command->footer(
        "Each path is its colour (the median of its centre pixels), its width in feet and its "
        "segments in tile feet as stored (X up from the bottom edge, Y across from the left "
        "edge). An image that shows none gives an empty list. Exit status 1 when the image "
        "cannot be read.");
    command->add_option("IMAGE", options->image, "The tile's PCX image")->required();
    command
        ->add_option("--min-length", options->minLength,
                     "Leave out features shorter than this many feet")
        ->check(CLI::Range(0.0, 2 * kTraceTileFeet));
    command->add_flag("--json", options->json,
                      "Print {\"paths\": [{\"colour\": [r, g, b], \"width\", \"segments\"}]}");
    command->callback([options, &exitStatus] { exitStatus = Suggest(*options); });
});

}  // namespace

}  // namespace lorvane::cli
