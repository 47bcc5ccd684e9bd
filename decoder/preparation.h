#pragma once
// What the worker sets up before the lockdown, from the picture's first
// bytes: Qt's GUI side only for the pictures that need it (a metafile draws
// text with the system's fonts; Qt's readers are plugins), since it costs
// tens of milliseconds to start. The light worker (preparation_light.cpp)
// decodes no such picture and sets up nothing.

#include <QCoreApplication>

#include <memory>
#include <string>
#include <vector>

namespace tessaline_decoder {

struct Preparation {
    std::unique_ptr<QCoreApplication> app;
    std::vector<std::string> readable;  // folders the lockdown leaves readable
};

Preparation Prepare(int& argc, char** argv, int pictureFd, const QString& picturePath);

}  // namespace tessaline_decoder
