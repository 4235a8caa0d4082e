// lorvane-cli dump TEXTURE.bin [-o TEXT]
// lorvane-cli undump TEXT -o OUT.bin
//
// The text form of a database (tiledb/texture_dump.h), for version control.

#include <iostream>

#include "base/file_io.h"
#include "cli/cli.h"
#include "cli/database_output.h"
#include "tiledb/texture_bin.h"
#include "tiledb/texture_dump.h"

namespace lorvane::cli {

namespace {

struct DumpOptions {
    PathArgument input;
    PathArgument output;
    bool overwrite = false;
    std::string tileInfo;
};

int RunDump(const DumpOptions& options) {
    std::optional<OutputTarget> output;
    if (!options.output.empty() && options.output.text() != "-") {
        output = OutputFor(options.output, options.overwrite);
        if (!output) return kUsage;
    }
    StderrMessages messages;
    const auto database = LoadTextureBin(options.input, messages);
    if (!database) return kFailed;
    const std::string text = DumpTextureBin(*database);
    if (!output) {
        std::cout << text;
        return kSuccess;
    }
    std::string detail;
    const auto* bytes = reinterpret_cast<const std::byte*>(text.data());
    if (ReplaceFile(*output, {bytes, text.size()}, &detail) != WriteStatus::Ok) {
        messages.Error("Could not write the database text.", "Write Error", detail);
        return kFailed;
    }
    return kSuccess;
}

int RunUndump(const DumpOptions& options) {
    const auto output = OutputFor(options.output, options.overwrite);
    if (!output) return kUsage;
    StderrMessages messages;
    std::string detail;
    const std::optional<FileBytes> file = FileBytes::Open(options.input, &detail);
    if (!file) {
        messages.Error("Error opening the database text.", "File Open Error", detail);
        return kFailed;
    }
    const auto bytes = file->Bytes();
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const auto database = ParseTextureDump(text, messages);
    if (!database) return kFailed;
    return SaveDatabase(*output, *database, options.tileInfo, messages);
}

const CommandRegistration dump("dump", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<DumpOptions>();
    CLI::App* command = app.add_subcommand(
        "dump", "Write a Texture.bin as line-based text (one line per set, tile, area and path)");
    command->add_option("TEXTURE", options->input, "The Texture.bin to read")->required();
    command->add_option("-o,--output", options->output,
                        "The text file to write (default: standard output)");
    command->add_flag("--overwrite", options->overwrite, "Replace the output file when it exists");
    command->callback([options, &exitStatus] { exitStatus = RunDump(*options); });
});

const CommandRegistration undump("undump", [](CLI::App& app, int& exitStatus) {
    auto options = std::make_shared<DumpOptions>();
    CLI::App* command = app.add_subcommand(
        "undump", "Write the Texture.bin of a text that dump wrote, byte for byte");
    command->add_option("TEXT", options->input, "The database text to read")->required();
    command
        ->add_option("-o,--output", options->output,
                     "The Texture.bin to write (- for standard output)")
        ->required();
    command->add_flag("--overwrite", options->overwrite, "Replace the output file when it exists");
    AddTileInfoOption(command, options->tileInfo);
    command->callback([options, &exitStatus] { exitStatus = RunUndump(*options); });
});

}  // namespace

}  // namespace lorvane::cli
