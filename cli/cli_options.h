#pragma once
// The command line of tessaline-convert, parsed into plain values.

#include "imaging/core/colorref.h"
#include "imaging/core/logfont.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

struct CliOptions {
    QStringList inputs;
    QString output;                   // a file, or a folder for several inputs
    std::optional<std::int32_t> width;
    std::optional<std::int32_t> height;
    std::optional<std::int32_t> fitWidth;   // --fit WxH: the largest size inside the box
    std::optional<std::int32_t> fitHeight;
    std::optional<std::int32_t> longEdge;   // --long-edge N
    bool shrinkOnly = false;                // never larger than the picture
    std::uint32_t quality = 80;
    int rotateAngle = 0;
    int flipType = 0;                 // 0 none, 1 horizontal, 2 vertical
    std::uint32_t frame = 0;
    QString text;
    std::int32_t textX = 0;
    std::int32_t textY = 0;
    LOGFONTW font;
    COLORREF color = 0;               // black
    bool force = false;
    bool keepLocation = false;        // GPS, serial numbers and owner kept too
    bool stripMetadata = false;       // no metadata at all
    bool keepProfile = false;         // colours unconverted, profile embedded
    int jobs = 0;                     // 0: one per core
    bool help = false;
    bool version = false;
};

struct CliParse {
    std::optional<CliOptions> options;  // empty: `error` says why, in one line
    QString error;                      // names the option and the reason
};

CliParse ParseCommandLine(const QStringList& arguments);  // without the program name
QString UsageText();
