// Token output into a data file. The text collects in memory and close() writes it whole: into a
// temporary file beside the target that then replaces it, so a crash or a full disk never leaves a
// half-written file. A target ending in ".png" becomes a PNG level file (a screenshot carrying the text).
#pragma once

#include <string>

#include <typeinfo>

#include "core/TextOutStream.h"

class FileWriter : public TextOutStream {
public:
    // The target is resolved by the file lookup, so an existing file is rewritten where it was found
    // and a new one is created at the name as given.
    explicit FileWriter(const std::string& target);
    // Closes the writer if close() was not called.
    ~FileWriter() override;

    // Writes the file. Returns false (after reporting "Could not open file \"<path>\": <reason>")
    // when it could not be written; the old file, if any, is then left as it was. Later calls return
    // the first result and write nothing.
    bool close();
    // Closes without writing anything (the target is left as it was).
    void discard() { closed = true; }
    // False once writing has failed.
    bool ok() const { return succeeded; }

    bool isPngMode() const { return pngMode; }
    const std::string& getPath() const { return path; }
    // Everything written so far.
    const std::string& getText() const { return text; }

protected:
    bool computeWritesPlainText() const override { return typeid(*this) == typeid(FileWriter); }
    void put(const char* data, std::size_t size) override { text.append(data, size); }

private:
    bool writeTextFile();
    bool writePngFile();

    std::string path;
    std::string text;
    bool pngMode = false;
    bool closed = false;
    bool succeeded = true;
};

// Writes data whole to path through a temporary file beside it and a rename. Reports and returns false
// on failure, leaving any old file untouched.
bool writeFileAtomically(const std::string& path, const std::string& data);
// Copies the file at from, as it is, to "to" (written whole or not at all); false when either fails.
bool copyFileAtomically(const std::string& from, const std::string& to);

// Creates the temporary file that a save of path is written into before it is renamed over path:
// "<path>.tmp" and six characters, with the mode of the file at path (or of a new file, when there is
// none). First removes the temporaries that earlier saves of path, killed partway, left behind. Returns
// the open descriptor (which holds the temporary locked until it is closed), or -1 with errno set.
int createTemporaryBeside(const std::string& path, std::string& temporary);
// Removes from path's folder the temporaries of saves of path that were cut short: "<name>.tmp" and
// the six characters mkstemp puts there, and ".<name>.tmp<pid>-<n>" that PNG saves used to leave.
// Temporaries that a save in progress holds locked, and everything else, are left alone.
void removeStaleTemporaries(const std::string& path);

// Before a file that was read with errors (readFrom) is overwritten at path: the file as it is gets
// copied to "<path>.bak", with one line on std::cerr saying so. Returns false (reported) when the copy
// could not be made, and the file must then not be overwritten; backedUp tells whether a copy was made
// (none is when path is another file than readFrom, or does not exist).
bool backUpFileReadWithErrors(const std::string& path, const std::string& readFrom, bool& backedUp);
// Closes the writer over its target after backUpFileReadWithErrors when readWithErrors names the file
// read; once the copy is made, readWithErrors is emptied (later writes overwrite freely). When the copy
// cannot be made nothing is written. Returns whether the file was written.
bool closeKeepingFileReadWithErrors(FileWriter& writer, std::string& readWithErrors);
