// Parsing tessaline-convert's arguments. Every value is checked here, before
// anything is read or written, so that a mistyped command converts nothing.
#include "cli/cli_options.h"

#include "platform/number_text.h"

#include <QFileInfo>

namespace {

// Values are checked by hand rather than with regular expressions: compiling
// one costs the converter about a millisecond of its start-up.

bool AsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }
// Space, tab, line feed, vertical tab, form feed, carriage return.
bool AsciiSpace(QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
bool AsciiHexDigit(QChar c) { return AsciiDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

// The text a value's check looks at: a value may end in one line feed (as
// "$(...)" in a shell can leave it), which the check does not see.
QStringView Checked(const QString& text) {
    return text.endsWith(u'\n') ? QStringView(text).chopped(1) : QStringView(text);
}

// Skips the digits at `at`: true when there were `least` to `most` of them.
bool Digits(QStringView text, qsizetype& at, int least, int most) {
    const qsizetype start = at;
    while (at < text.size() && AsciiDigit(text[at])) ++at;
    return at - start >= least && at - start <= most;
}

// A whole argument that is a decimal integer (with an optional sign).
std::optional<std::int64_t> WholeInteger(const QString& text) {
    const QStringView t = Checked(text);
    qsizetype at = 0;
    if (at < t.size() && (t[at] == u'+' || t[at] == u'-')) ++at;
    if (!Digits(t, at, 1, 12) || at != t.size()) return std::nullopt;
    return text.toLongLong();
}

// A size side: a positive integer, with an optional "px" as the size fields
// allow ("640px"), spaces around the number allowed.
std::optional<std::int32_t> SizeSide(const QString& text) {
    const QStringView t = Checked(text);
    qsizetype at = 0;
    while (at < t.size() && AsciiSpace(t[at])) ++at;
    if (at < t.size() && t[at] == u'+') ++at;
    if (!Digits(t, at, 1, 10)) return std::nullopt;
    while (at < t.size() && AsciiSpace(t[at])) ++at;
    if (t.sliced(at) != u"px" && at != t.size()) return std::nullopt;
    const std::int32_t n = ParseDecimalField(text);
    if (n < 1) return std::nullopt;
    return n;
}

// "#RRGGBB": the six hex digits, or nothing.
std::optional<unsigned> HexColour(const QString& text) {
    const QStringView t = Checked(text);
    if (t.size() != 7 || t[0] != u'#') return std::nullopt;
    for (qsizetype i = 1; i < 7; ++i)
        if (!AsciiHexDigit(t[i])) return std::nullopt;
    return t.sliced(1).toUInt(nullptr, 16);
}

struct Parser {
    explicit Parser(const QStringList& arguments) : args(arguments) {}
    const QStringList& args;
    qsizetype i = 0;
    CliParse result;
    CliOptions o;
    bool sizeGiven = false;  // --width/--height
    bool optionsEnded = false;

    bool fail(const QString& message) {
        if (result.error.isEmpty()) result.error = message;
        return false;
    }
    bool bad(const QString& name, const QString& value, const QString& why) {
        return fail(QStringLiteral("%1 %2: %3").arg(name, value, why));
    }
    // The value after option `name`.
    std::optional<QString> value(const QString& name) {
        if (i + 1 >= args.size()) {
            fail(QStringLiteral("%1 needs a value").arg(name));
            return std::nullopt;
        }
        return args[++i];
    }
    bool side(const QString& name, std::optional<std::int32_t>& out) {
        const auto v = value(name);
        if (!v) return false;
        out = SizeSide(*v);
        return out || bad(name, *v, QStringLiteral("must be a whole number of pixels, at least 1"));
    }
    bool integer(const QString& name, std::int64_t lo, std::int64_t hi, std::int64_t& out) {
        const auto v = value(name);
        if (!v) return false;
        const auto n = WholeInteger(*v);
        if (!n) return bad(name, *v, QStringLiteral("not a whole number"));
        if (*n < lo || *n > hi) return bad(name, *v, QStringLiteral("must be from %1 to %2").arg(lo).arg(hi));
        out = *n;
        return true;
    }
    bool rotation() {
        const auto v = value(QStringLiteral("--rotate"));
        if (!v) return false;
        const auto n = WholeInteger(*v);
        if (!n || (*n != 0 && *n != 90 && *n != 180 && *n != 270))
            return bad(QStringLiteral("--rotate"), *v, QStringLiteral("must be 0, 90, 180 or 270"));
        o.rotateAngle = static_cast<int>(*n);
        return true;
    }
    bool fitBox() {
        const auto v = value(QStringLiteral("--fit"));
        if (!v) return false;
        const QStringList parts = v->split(u'x', Qt::KeepEmptyParts, Qt::CaseInsensitive);
        if (parts.size() == 2) {
            o.fitWidth = SizeSide(parts[0]);
            o.fitHeight = SizeSide(parts[1]);
        }
        if (o.fitWidth && o.fitHeight) return true;
        return bad(QStringLiteral("--fit"), *v, QStringLiteral("needs WIDTHxHEIGHT, both at least 1 (e.g. 1920x1080)"));
    }
    bool position() {
        const auto v = value(QStringLiteral("--at"));
        if (!v) return false;
        const QStringList parts = v->split(u',');
        const auto x = parts.size() == 2 ? WholeInteger(parts[0].trimmed()) : std::nullopt;
        const auto y = parts.size() == 2 ? WholeInteger(parts[1].trimmed()) : std::nullopt;
        if (!x || !y) return bad(QStringLiteral("--at"), *v, QStringLiteral("needs X,Y in whole pixels"));
        o.textX = ParseDecimalField(parts[0]);
        o.textY = ParseDecimalField(parts[1]);
        return true;
    }
    bool colour() {
        const auto v = value(QStringLiteral("--color"));
        if (!v) return false;
        const std::optional<unsigned> hex = HexColour(*v);
        if (!hex) return bad(QStringLiteral("--color"), *v, QStringLiteral("needs #RRGGBB"));
        const unsigned rgb = *hex;
        o.color = RGB(static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>(rgb & 0xFF));
        return true;
    }
    bool textValue(QString& out, const QString& name) {
        const auto v = value(name);
        if (v) out = *v;
        return v.has_value();
    }
    bool unknown(const QString& word);
    bool option(const QString& a);
    bool sizesAgree();
    bool run();
};

// Unknown words with a dash are refused, as other image tools do: a typo in
// an option must not turn into a missing input file. A file whose name
// starts with a dash goes after "--" (or as ./-name).
bool Parser::unknown(const QString& word) {
    QString message = QStringLiteral("unknown option %1").arg(word);
    if (QFileInfo::exists(word))
        message += QStringLiteral(" (a file of that name goes after --, or as ./%1)").arg(word);
    return fail(message);
}

bool Parser::option(const QString& a) {
    std::int64_t n = 0;
    if (a == u"--help" || a == u"-h") {
        o.help = true;
    } else if (a == u"--version") {
        o.version = true;
    } else if (a == u"-o" || a == u"--output") {
        if (!textValue(o.output, a)) return false;
        if (o.output.isEmpty()) return bad(a, QStringLiteral("\"\""), QStringLiteral("needs a file or folder name"));
    } else if (a == u"--width") {
        sizeGiven = true;
        return side(a, o.width);
    } else if (a == u"--height") {
        sizeGiven = true;
        return side(a, o.height);
    } else if (a == u"--fit") {
        return fitBox();
    } else if (a == u"--long-edge") {
        return side(a, o.longEdge);
    } else if (a == u"--shrink-only") {
        o.shrinkOnly = true;
    } else if (a == u"--quality") {
        if (!integer(a, 1, 100, n)) return false;
        o.quality = static_cast<std::uint32_t>(n);
    } else if (a == u"--rotate") {
        return rotation();
    } else if (a == u"--flip") {
        const auto v = value(a);
        if (!v) return false;
        if (*v == u"none") o.flipType = 0;
        else if (*v == u"horizontal") o.flipType = 1;
        else if (*v == u"vertical") o.flipType = 2;
        else return bad(a, *v, QStringLiteral("must be none, horizontal or vertical"));
    } else if (a == u"--frame") {
        if (!integer(a, 0, 0xFFFFFFFFll, n)) return false;
        o.frame = static_cast<std::uint32_t>(n);
    } else if (a == u"--text") {
        return textValue(o.text, a);
    } else if (a == u"--at") {
        return position();
    } else if (a == u"--font") {
        QString face;
        if (!textValue(face, a)) return false;
        o.font.setFaceName(face);
    } else if (a == u"--font-size") {
        if (!integer(a, 1, 10000, n)) return false;
        o.font.lfHeight = -static_cast<std::int32_t>(n);
    } else if (a == u"--bold") {
        o.font.lfWeight = FW_BOLD;
    } else if (a == u"--italic") {
        o.font.lfItalic = 1;
    } else if (a == u"--color") {
        return colour();
    } else if (a == u"--force") {
        o.force = true;
    } else if (a == u"--keep-location") {
        o.keepLocation = true;
    } else if (a == u"--strip-metadata") {
        o.stripMetadata = true;
    } else if (a == u"--keep-profile") {
        o.keepProfile = true;
    } else if (a == u"--jobs") {
        if (!integer(a, 1, 256, n)) return false;
        o.jobs = static_cast<int>(n);
    } else {
        return unknown(a);
    }
    return true;
}

// One way of sizing at a time: exact sides, a box, or the long edge.
bool Parser::sizesAgree() {
    const int ways = (sizeGiven ? 1 : 0) + (o.fitWidth ? 1 : 0) + (o.longEdge ? 1 : 0);
    if (ways <= 1) return true;
    return fail(QStringLiteral("--width/--height, --fit and --long-edge exclude each other: give one of them"));
}

bool Parser::run() {
    // The overlay font's defaults, as a first run of the window has them.
    o.font.lfHeight = -13;
    o.font.lfWeight = FW_NORMAL;
    for (; i < args.size(); ++i) {
        const QString& a = args[i];
        if (optionsEnded || a == u"-" || !a.startsWith(u'-')) {
            o.inputs << a;
        } else if (a == u"--") {
            optionsEnded = true;
        } else if (!option(a)) {
            return false;
        }
    }
    if (o.help || o.version) return true;
    if (!sizesAgree()) return false;
    if (o.inputs.isEmpty()) return fail(QStringLiteral("no input file given"));
    if (o.output.isEmpty()) return fail(QStringLiteral("no output given (-o FILE or -o FOLDER/)"));
    return true;
}

}  // namespace

CliParse ParseCommandLine(const QStringList& arguments) {
    Parser p(arguments);
    if (p.run()) p.result.options = p.o;
    return p.result;
}
