#pragma once
// The program's addresses and the place of its help.

#include <QString>

inline const QString kHomePageAddress = QStringLiteral("https://tessaline.example.org/");

// The help's first topic for an executable path: its folder, "help/",
// "Introduction.htm".
QString HelpTopicPath(const QString& executablePath);
