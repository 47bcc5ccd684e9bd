#pragma once
// What the worker sets up before the lockdown, from the picture's first
// bytes: Qt's GUI side only for the pictures that need it (a metafile draws
// text with the system's fonts; Qt's readers are plugins), since it costs
// tens of milliseconds to start.

#include <QGuiApplication>

#include <memory>
#include <string>
#include <vector>

namespace tessaline_decoder {

struct Preparation {
    std::unique_ptr<QGuiApplication> app;
    std::vector<std::string> readable;  // folders the lockdown leaves readable
};

Preparation Prepare(int& argc, char** argv, int pictureFd, const QString& picturePath);

// Out of memory ends the worker with kExitOutOfMemory, which the program
// reports as such (an allocation that throws would otherwise abort).
void InstallMemoryHandlers();

}  // namespace tessaline_decoder
