// Copying a PNG level's text into the first level's file.
#include "platform/LevelArgument.h"

#include <iostream>

#include "core/FileLookup.h"
#include "core/FileReader.h"
#include "core/FileWriter.h"
#include "core/PngFile.h"

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
        return writeFileAtomically(toNativePath(startingState), level.getText());
    }
    return false;
}
