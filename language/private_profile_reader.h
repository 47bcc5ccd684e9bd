#pragma once
// A reader for INI-style files with the rules of the classic private-profile
// functions: lines "[SECTION]" open sections, lines "KEY=value" hold values;
// section and key names match without regard to letter case; spaces and
// tabs around keys and values are dropped; a value enclosed in one pair of
// matching double or single quotation marks loses them; when a key occurs
// twice, the first occurrence counts; lines before the first section and
// lines without "=" hold nothing.
//
// A file that starts with a UTF-16 byte-order mark (little- or big-endian)
// is read as UTF-16 text. Any other file is read as bytes: its names are
// read in the system's ANSI code page and its values are handed out as the
// bytes stored, for the caller to decode in the code page it knows.

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// A value holds at most this many UTF-16 code units ...
inline constexpr qsizetype kMaxProfileValueChars = 2047;
// ... and, in a byte file, at most this many bytes.
inline constexpr qsizetype kMaxProfileValueBytes = 4095;

struct ProfileValue {
    bool isText = false;  // from a UTF-16 file: `text` holds the value
    QString text;
    QByteArray bytes;     // from a byte file: the value's bytes as stored
    bool cut = false;     // the value was longer than the limits and was cut
};

class PrivateProfile {
public:
    // Reads the file; a file that cannot be read reads as empty.
    static PrivateProfile ReadFile(const QString& path);
    // Reads file contents given in memory.
    static PrivateProfile FromContents(const QByteArray& contents);

    // The value of the key in the section, or nothing when it is absent.
    std::optional<ProfileValue> Find(const QString& section, const QString& key) const;
    bool IsUtf16() const { return utf16_; }

    struct Entry {
        QString key;
        ProfileValue value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };

private:
    bool utf16_ = false;
    std::vector<Section> sections_;
    friend class ProfileParser;
};

// Cuts a text to at most `maxUnits` UTF-16 code units without splitting a
// surrogate pair.
QString CutAtCharacterBoundary(const QString& text, qsizetype maxUnits);
