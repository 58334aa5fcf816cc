// Token input of the text format: one virtual read per scalar type, a stack of pushed-back tokens and a
// string attribute map that callers set before a field. Also carries what every reader needs to stop
// safely: the source's name for messages, a failed flag and the nesting depth.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class BaseInStream {
public:
    // Callers set entries by name before a field ("progressBar", "progressBarStart", "progressBarEnd");
    // the field loops empty the map after each field.
    std::map<std::string, std::string> attributes;

    BaseInStream() = default;
    BaseInStream(const BaseInStream&) = delete;
    BaseInStream& operator=(const BaseInStream&) = delete;
    virtual ~BaseInStream();

    // The next whitespace-delimited token (the last pushed-back token first). At the end of the input,
    // and once the stream has failed, the token becomes empty: an empty token means "nothing more".
    virtual BaseInStream& readToken(std::string& token) = 0;

    // Typed reads. A pushed-back token is converted (ints like atoi, floats like atof, bool from
    // "true"/"false" or a number); otherwise the next token of the source is. At the end of the input
    // the destination is left unchanged. A char whose destination already holds 10, 14 or 15 (the
    // layout codes) reads nothing at all.
    virtual BaseInStream& read(long double& value) = 0;
    virtual BaseInStream& read(double& value) = 0;
    virtual BaseInStream& read(float& value) = 0;
    virtual BaseInStream& read(unsigned long long& value) = 0;
    virtual BaseInStream& read(long long& value) = 0;
    virtual BaseInStream& read(unsigned long& value) = 0;
    virtual BaseInStream& read(long& value) = 0;
    virtual BaseInStream& read(unsigned int& value) = 0;
    virtual BaseInStream& read(int& value) = 0;
    virtual BaseInStream& read(unsigned short& value) = 0;
    virtual BaseInStream& read(short& value) = 0;
    virtual BaseInStream& read(unsigned char& value) = 0;
    virtual BaseInStream& read(signed char& value) = 0;
    virtual BaseInStream& read(char& value) = 0;
    virtual BaseInStream& read(bool& value) = 0;

    // Discards the rest of the source's current line (used for "//" comments).
    virtual BaseInStream& readLine() = 0;

    // After a token that opens a double-quoted string but does not close it: appends the source's
    // characters exactly as they stand, white space included, up to and including the closing double
    // quote (one not preceded by a backslash and followed by white space or the end). False when the
    // stream cannot read characters (the caller then joins tokens) or the input ends first.
    virtual bool readQuotedRest(std::string& text, bool& closed);

    // Pushes a token back; the token pushed last is read first.
    virtual BaseInStream& unget(const std::string& token);

    // Whether the typed reads of a pushed-back token are exactly convertToken (true for the text
    // streams), so that readers may convert a token they hold without pushing it back first.
    virtual bool convertsTokensPlainly() const { return false; }

    // The attribute's value, or "" when it is not set (the map is not changed).
    std::string getAttribute(const std::string& name) const;

    // --- Diagnostics and safety ---

    // What the stream reads from, for messages: a file's path, or a caller-chosen label.
    virtual const std::string& getName() const { return name; }
    void setName(const std::string& newName) { name = newName; }
    // Line of the source the last token came from (1-based), 0 when unknown.
    virtual int getLine() const { return 0; }

    // Reports one line on std::cerr naming the source, the line and the problem, once per stream, and
    // stops the stream: from then on every read meets the end of the input. Readers call it on input
    // they cannot make sense of (an unknown key or class, a truncated object), so that every loop ends.
    // A stream that reads through another one (an archetype capture) passes both on to it.
    virtual void fail(const std::string& problem);
    virtual bool hasFailed() const { return failed; }
    // Marks the stream as failed without a message (the problem was reported already).
    void setFailed() { failed = true; }
    // Reports one line like fail, but the stream goes on (for problems readers can step over).
    virtual void warn(const std::string& problem) const;
    // Whether anything was reported (failed or stepped over): what was read is not the whole file.
    virtual bool hadProblems() const { return problems; }

    // Nesting depth of the values being read; readers refuse to nest deeper than maxDepth.
    static constexpr int maxDepth = 128;
    int depth = 0;
    // The stream whose "externalFiles" opened this one, so that a file including itself is caught.
    const BaseInStream* parent = nullptr;

protected:
    // Takes the top pushed-back token into token; false when there is none.
    bool popPushedBack(std::string& token) {
        if (pushedCount == 0) return false;
        token.swap(pushed[--pushedCount]);
        return true;
    }
    bool hasPushedBack() const { return pushedCount != 0; }

    std::string name;
    bool failed = false;
    mutable bool problems = false;

private:
    // Slots keep their capacity between uses, so pushing a token back seldom allocates.
    std::vector<std::string> pushed;
    std::size_t pushedCount = 0;
};

// Conversions of one token, as the typed reads apply them to a pushed-back token. Each leaves the value
// unchanged when the token is empty.
void convertToken(const std::string& token, long double& value);
void convertToken(const std::string& token, double& value);
void convertToken(const std::string& token, float& value);
void convertToken(const std::string& token, unsigned long long& value);
void convertToken(const std::string& token, long long& value);
void convertToken(const std::string& token, unsigned long& value);
void convertToken(const std::string& token, long& value);
void convertToken(const std::string& token, unsigned int& value);
void convertToken(const std::string& token, int& value);
void convertToken(const std::string& token, unsigned short& value);
void convertToken(const std::string& token, short& value);
void convertToken(const std::string& token, unsigned char& value);
void convertToken(const std::string& token, signed char& value);
void convertToken(const std::string& token, char& value);
void convertToken(const std::string& token, bool& value);
