// The private-profile reader. The file is split into lines (LF, CR or CR LF
// end a line); each line is a section header, a key line or nothing. UTF-16
// files are decoded once and parsed as text; byte files are parsed as bytes,
// which is safe for every ANSI code page of the locale table: the bytes that
// carry the syntax ('[', ']', '=', quotes, spaces, line ends) never occur as
// the first byte of a double-byte character, and the only ones that can occur
// as its second byte ('[' and ']') are looked for at the start and the end of
// a header line only.
#include "language/private_profile_reader.h"

#include "language/code_page.h"

#include <QFile>

namespace {

bool isBlank(char32_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f'; }

char32_t unitAt(const QByteArray& s, qsizetype i) { return static_cast<unsigned char>(s.at(i)); }
char32_t unitAt(const QString& s, qsizetype i) { return s.at(i).unicode(); }

template <typename Str>
Str trimmed(const Str& s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(unitAt(s, begin))) ++begin;
    while (end > begin && isBlank(unitAt(s, end - 1))) --end;
    return s.mid(begin, end - begin);
}

template <typename Str>
Str withoutQuotes(const Str& s) {
    if (s.size() < 2) return s;
    const char32_t first = unitAt(s, 0);
    if ((first == u'"' || first == u'\'') && unitAt(s, s.size() - 1) == first) return s.mid(1, s.size() - 2);
    return s;
}

template <typename Str>
qsizetype indexOfUnit(const Str& s, char32_t unit, qsizetype from = 0) {
    for (qsizetype i = from; i < s.size(); ++i) {
        if (unitAt(s, i) == unit) return i;
    }
    return -1;
}

template <typename Str>
qsizetype lastIndexOfUnit(const Str& s, char32_t unit) {
    for (qsizetype i = s.size() - 1; i >= 0; --i) {
        if (unitAt(s, i) == unit) return i;
    }
    return -1;
}

ProfileValue makeValue(const QByteArray& bytes) {
    ProfileValue value;
    value.bytes = bytes;
    if (bytes.size() > kMaxProfileValueBytes) {
        value.bytes.truncate(kMaxProfileValueBytes);
        value.cut = true;
    }
    return value;
}

ProfileValue makeValue(const QString& text) {
    ProfileValue value;
    value.isText = true;
    value.text = CutAtCharacterBoundary(text, kMaxProfileValueChars);
    value.cut = value.text.size() != text.size();
    return value;
}

// UTF-16 contents after the byte-order mark; a lone surrogate becomes U+FFFD
// and an odd last byte is dropped.
QString decodeUtf16(const QByteArray& contents, bool bigEndian) {
    QString text;
    text.reserve(contents.size() / 2);
    for (qsizetype i = 2; i + 1 < contents.size(); i += 2) {
        const auto a = static_cast<unsigned char>(contents.at(i));
        const auto b = static_cast<unsigned char>(contents.at(i + 1));
        text.append(QChar(static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a)));
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            text[i] = QChar(QChar::ReplacementCharacter);
        }
    }
    return text;
}

}  // namespace

class ProfileParser {
public:
    explicit ProfileParser(PrivateProfile& profile) : profile_(profile) {}

    template <typename Str>
    void Parse(const Str& contents) {
        qsizetype lineStart = 0;
        while (lineStart <= contents.size()) {
            qsizetype lineEnd = lineStart;
            while (lineEnd < contents.size() && unitAt(contents, lineEnd) != u'\n' && unitAt(contents, lineEnd) != u'\r') {
                ++lineEnd;
            }
            const Str line = trimmed(contents.mid(lineStart, lineEnd - lineStart));
            parseLine(line);
            if (lineEnd >= contents.size()) break;
            lineStart = lineEnd + 1;
        }
    }

private:
    // Names of a byte file are read as the system would read them, with one
    // decoder for the whole file.
    QString nameText(const QByteArray& s) const { return DecodeWith(nameDecoder_, s); }
    static QString nameText(const QString& s) { return s; }

    template <typename Str>
    void parseLine(const Str& line) {
        if (line.isEmpty()) return;
        if (unitAt(line, 0) == u'[') {
            const qsizetype close = lastIndexOfUnit(line, u']');
            const Str name = close > 0 ? line.mid(1, close - 1) : line.mid(1);
            profile_.sections_.push_back({nameText(trimmed(name)), {}});
            current_ = &profile_.sections_.back();
            return;
        }
        if (!current_) return;
        const qsizetype equals = indexOfUnit(line, u'=');
        if (equals < 0) return;
        current_->entries.push_back(
            {nameText(trimmed(line.left(equals))), makeValue(withoutQuotes(trimmed(line.mid(equals + 1))))});
    }

    PrivateProfile& profile_;
    PrivateProfile::Section* current_ = nullptr;
    std::optional<CodePageDecoder> nameDecoder_ = OpenDecoderOrFallback(kSystemAnsiCodePage);
};

PrivateProfile PrivateProfile::FromContents(const QByteArray& contents) {
    PrivateProfile profile;
    ProfileParser parser(profile);
    const bool littleEndian = contents.startsWith("\xFF\xFE");
    const bool bigEndian = contents.startsWith("\xFE\xFF");
    if (littleEndian || bigEndian) {
        profile.utf16_ = true;
        parser.Parse(decodeUtf16(contents, bigEndian));
    } else if (contents.startsWith("\xEF\xBB\xBF")) {
        // Editors often put a UTF-8 byte-order mark before the first section;
        // it is not part of the text.
        parser.Parse(contents.mid(3));
    } else {
        parser.Parse(contents);
    }
    return profile;
}

PrivateProfile PrivateProfile::ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return FromContents(file.readAll());
}

std::optional<ProfileValue> PrivateProfile::Find(const QString& section, const QString& key) const {
    // Sections of the same name count as one, in file order.
    for (const Section& s : sections_) {
        if (s.name.compare(section, Qt::CaseInsensitive) != 0) continue;
        for (const Entry& entry : s.entries) {
            if (entry.key.compare(key, Qt::CaseInsensitive) == 0) return entry.value;
        }
    }
    return std::nullopt;
}

QString CutAtCharacterBoundary(const QString& text, qsizetype maxUnits) {
    if (text.size() <= maxUnits) return text;
    qsizetype n = std::max<qsizetype>(0, maxUnits);
    if (n > 0 && text.at(n - 1).isHighSurrogate() && text.at(n).isLowSurrogate()) --n;
    return text.left(n);
}
