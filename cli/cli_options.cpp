// Parsing tessaline-convert's arguments. Numbers follow the window's rules
// where the window has a field for them; the rest must be plain integers.
#include "cli/cli_options.h"

#include "platform/number_text.h"

#include <QRegularExpression>

namespace {

// A whole argument that is a decimal integer (with an optional sign).
std::optional<std::int64_t> WholeInteger(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^[+-]?[0-9]{1,12}$"));
    if (!pattern.match(text).hasMatch()) return std::nullopt;
    return text.toLongLong();
}

struct Parser {
    explicit Parser(const QStringList& arguments) : args(arguments) {}
    const QStringList& args;
    qsizetype i = 0;
    CliParse result;
    CliOptions o;

    bool fail(const QString& message) {
        result.error = message;
        return false;
    }
    // The value after option `name`.
    std::optional<QString> value(const QString& name) {
        if (i + 1 >= args.size()) {
            fail(QStringLiteral("%1 needs a value").arg(name));
            return std::nullopt;
        }
        return args[++i];
    }
    bool size(const QString& name, std::optional<std::int32_t>& out) {
        const auto v = value(name);
        if (!v) return false;
        // The size fields' rule: "640px" reads as 640; the caller checks > 0.
        out = ParseDecimalField(*v);
        return true;
    }
    bool integer(const QString& name, std::int64_t lo, std::int64_t hi, std::int64_t& out) {
        const auto v = value(name);
        if (!v) return false;
        const auto n = WholeInteger(*v);
        if (!n || *n < lo || *n > hi) return fail(QStringLiteral("%1: not a valid number: %2").arg(name, *v));
        out = *n;
        return true;
    }
    bool position(const QString& text) {
        const QStringList parts = text.split(u',');
        if (parts.size() != 2) return fail(QStringLiteral("--at needs X,Y"));
        o.textX = ParseDecimalField(parts[0]);
        o.textY = ParseDecimalField(parts[1]);
        return true;
    }
    bool colour(const QString& text) {
        static const QRegularExpression pattern(QStringLiteral("^#([0-9A-Fa-f]{6})$"));
        const auto m = pattern.match(text);
        if (!m.hasMatch()) return fail(QStringLiteral("--color needs #RRGGBB"));
        const unsigned rgb = m.captured(1).toUInt(nullptr, 16);
        o.color = RGB(static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>(rgb & 0xFF));
        return true;
    }
    bool one();
    bool run();
};

bool Parser::one() {
    const QString a = args[i];
    std::int64_t n = 0;
    if (a == u"--help" || a == u"-h") {
        o.help = true;
    } else if (a == u"--version") {
        o.version = true;
    } else if (a == u"-o" || a == u"--output") {
        const auto v = value(a);
        if (!v) return false;
        o.output = *v;
    } else if (a == u"--width") {
        return size(a, o.width);
    } else if (a == u"--height") {
        return size(a, o.height);
    } else if (a == u"--quality") {
        if (!integer(a, 0, 0xFFFFFFFFll, n)) return false;
        o.quality = static_cast<std::uint32_t>(n);
        if (n < 1 || n > 100) result.warnings << QStringLiteral("Enter an integer between 1 and 100.");
    } else if (a == u"--rotate") {
        if (!integer(a, INT32_MIN, INT32_MAX, n)) return false;
        o.rotateAngle = static_cast<int>(n);
    } else if (a == u"--flip") {
        const auto v = value(a);
        if (!v) return false;
        if (*v == u"none") o.flipType = 0;
        else if (*v == u"horizontal") o.flipType = 1;
        else if (*v == u"vertical") o.flipType = 2;
        else return fail(QStringLiteral("--flip takes none, horizontal or vertical"));
    } else if (a == u"--frame") {
        if (!integer(a, 0, 0xFFFFFFFFll, n)) return false;
        o.frame = static_cast<std::uint32_t>(n);
    } else if (a == u"--text") {
        const auto v = value(a);
        if (!v) return false;
        o.text = *v;
    } else if (a == u"--at") {
        const auto v = value(a);
        return v && position(*v);
    } else if (a == u"--font") {
        const auto v = value(a);
        if (!v) return false;
        o.font.setFaceName(*v);
    } else if (a == u"--font-size") {
        if (!integer(a, 1, 10000, n)) return false;
        o.font.lfHeight = -static_cast<std::int32_t>(n);
    } else if (a == u"--bold") {
        o.font.lfWeight = FW_BOLD;
    } else if (a == u"--italic") {
        o.font.lfItalic = 1;
    } else if (a == u"--color") {
        const auto v = value(a);
        return v && colour(*v);
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
    } else if (a.startsWith(u'-') && a.size() > 1) {
        return fail(QStringLiteral("unknown option %1").arg(a));
    } else {
        o.inputs << a;
    }
    return true;
}

bool Parser::run() {
    // The overlay font's defaults, as a first run of the window has them.
    o.font.lfHeight = -13;
    o.font.lfWeight = FW_NORMAL;
    for (; i < args.size(); ++i) {
        if (!one()) return false;
    }
    if (o.help || o.version) return true;
    if (o.inputs.isEmpty()) return fail(QStringLiteral("no input file given"));
    if (o.output.isEmpty()) return fail(QStringLiteral("no output given (-o)"));
    return true;
}

}  // namespace

CliParse ParseCommandLine(const QStringList& arguments) {
    Parser p(arguments);
    if (p.run()) p.result.options = p.o;
    return p.result;
}

QString UsageText() {
    return QStringLiteral(
        "Usage: tessaline-convert INPUT... -o OUTPUT|DIR [options]\n"
        "Converts pictures into JPEG files: the chosen frame, scaled with high-quality\n"
        "bicubic interpolation, with an optional line of text, turned and mirrored.\n"
        "\n"
        "  -o, --output PATH     the output file, or a folder (needed for several inputs;\n"
        "                        each file is then named NAME_out.jpg)\n"
        "  --width W             output width; alone, the height keeps the aspect ratio\n"
        "  --height H            output height; alone, the width keeps the aspect ratio\n"
        "                        (neither: the picture's own size)\n"
        "  --quality Q           JPEG quality 1 to 100 (80)\n"
        "  --rotate 0|90|180|270 clockwise rotation\n"
        "  --flip none|horizontal|vertical\n"
        "  --frame N             frame or page N, counted from 0\n"
        "  --text TEXT           a line of text, stamped before the rotation\n"
        "  --at X,Y              its top-left corner in output pixels (0,0)\n"
        "  --font FACE           its font face\n"
        "  --font-size PX        its em height in pixels (13)\n"
        "  --bold, --italic\n"
        "  --color #RRGGBB       its colour (#000000)\n"
        "  --force               replace existing output files\n"
        "  --keep-location       keep GPS position, serial numbers and owner name too\n"
        "  --strip-metadata      write no metadata at all\n"
        "  --keep-profile        leave the colours as they are and embed the picture's\n"
        "                        own colour profile\n"
        "  --jobs N              conversions run at the same time (one per core)\n"
        "  --help, --version\n"
        "\n"
        "Colours: a picture with an embedded colour profile is converted into sRGB\n"
        "(relative colorimetric, black-point compensation); the output carries no profile.\n"
        "Metadata: the output keeps what describes the photo (dates, camera, lens and\n"
        "exposure settings, author, copyright, title, description, keywords, rating);\n"
        "GPS position, serial numbers, owner name, maker notes and the thumbnail are left\n"
        "out. Orientation becomes 1 (the pixels are upright) and the size is the output's.\n");
}
