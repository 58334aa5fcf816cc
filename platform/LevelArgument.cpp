// Copying a PNG level's text into the first level's file, the file as shipped kept beside it.
#include "platform/LevelArgument.h"

#include <filesystem>
#include <iostream>
#include <system_error>

#include "core/FileLookup.h"
#include "core/FileReader.h"
#include "core/FileWriter.h"
#include "core/PngFile.h"

namespace {

// Keeps the level file as it is in "<path>.bak" unless a copy is there already: the first copy is the
// level as shipped, which later pictures must not overwrite. False (reported) when it cannot be kept.
bool keepShippedLevel(const std::string& path, const std::string& argument) {
    const std::string backup = path + ".bak";
    std::error_code error;
    if (std::filesystem::exists(path, error) && !std::filesystem::exists(backup, error) && !error) {
        if (copyFileAtomically(path, backup)) return true;
    } else if (!error) {
        return true;
    }
    std::cerr << "The level in \"" << argument << "\" is not used: \"" << path << "\" could not be kept as \""
              << backup << "\"" << std::endl;
    return false;
}

}  // namespace

bool applyLevelArgument(const std::vector<std::string>& arguments, const std::string& startingState) {
    for (const std::string& argument : arguments) {
        if (!readPngText(argument)) continue;
        FileReader level(argument);
        if (!level.isOpen()) return false;
        if (startingState.empty()) {
            std::cerr << "The level in \"" << argument << "\" is not used: the setting \"startingState\" names no file"
                      << std::endl;
            return false;
        }
        // At the path as given (which the lookup tries first), in native form: settings name paths
        // with backslashes.
        const std::string path = toNativePath(startingState);
        // Run from another folder than the game's, the level's folder is not there yet.
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        std::error_code error;
        if (!folder.empty() && !std::filesystem::create_directories(folder, error) && error) {
            std::cerr << "The level in \"" << argument << "\" is not used: the folder \"" << folder.string()
                      << "\" could not be made: " << error.message() << std::endl;
            return false;
        }
        if (!keepShippedLevel(path, argument)) return false;
        return writeFileAtomically(path, level.getText());
    }
    return false;
}
