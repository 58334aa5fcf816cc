// The program's settings: four maps by name (bools, ints, floats, strings) read from "config.cfg" at
// start-up and written back whole by save(). Other keys found in the file are kept and written back.
#pragma once

#include <map>
#include <string>

class BaseInStream;
class BaseOutStream;

class Configuration {
public:
    std::string fileName;
    std::map<std::string, bool> bools;
    std::map<std::string, int> ints;
    std::map<std::string, float> floats;
    std::map<std::string, std::string> strings;
    // The file last loaded when its reading reported problems; its first overwrite by save() keeps the
    // old file as "<name>.bak".
    mutable std::string readWithErrors;

    // Empty settings that save to fileName; nothing is read.
    Configuration() = default;
    // Reads the file (found by the file lookup). When it is found nowhere and defaultsFile is given,
    // the defaults are read from there instead (the settings shipped with the game), and save() later
    // writes fileName.
    explicit Configuration(const std::string& fileName, const std::string& defaultsFile = "");
    virtual ~Configuration() = default;

    virtual int getVersion() const { return 0; }

    // Reads a file into the maps (entries already present keep their values). False when it could not
    // be opened or was malformed (reported).
    bool load(const std::string& file);
    // Writes everything, whole or not at all, to fileName where the file lookup finds it; a bare name
    // found nowhere goes into the settings folder (made when missing), so the settings are the same
    // whatever folder the game runs from. False (reported) when it could not be written.
    bool save() const;

    // The field loop: "bools", "ints", "floats", "strings" in any order, each a map, until "end".
    void read(BaseInStream& in, int version);
    void write(BaseOutStream& out, int version) const;

    // Lookups that never insert: the stored value, or the fallback when the key is missing.
    bool getBool(const std::string& key, bool fallback = false) const;
    int getInt(const std::string& key, int fallback = 0) const;
    float getFloat(const std::string& key, float fallback = 0.0f) const;
    std::string getString(const std::string& key, const std::string& fallback = "") const;

    // Lookups of the settings the game expects "config.cfg" to hold: a missing key is inserted with
    // the value the shipped file gives it (settingDefaults), so the next save writes it too.
    bool& boolSetting(const std::string& key);
    int& intSetting(const std::string& key);
    float& floatSetting(const std::string& key);
    std::string& stringSetting(const std::string& key);
};

// The values the shipped "config.cfg" holds, in one place: what a key missing from the settings reads
// as. A key that is not listed here reads as 0, false or the empty string.
const Configuration& settingDefaults();

// The settings of the running game, read from "config.cfg" (or, on a fresh installation, from the
// shipped "Content/config.cfg") during static initialisation.
Configuration& getConfiguration();
extern Configuration& configuration;

// Writes a Configuration object: its class name, version and the four sections.
BaseOutStream& writeConfiguration(BaseOutStream& out, const Configuration& settings);
