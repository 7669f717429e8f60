// The convert command's command line: its options, and what they ask for.
#pragma once

#include "ConvertTask.h"

namespace cli::convert {

// What the command line asks to convert.
struct Request
{
    Options options;
    int threadCount = 1;
    // One input into a named file (INPUT OUTPUT.fnt, or -o OUTPUT.fnt INPUT):
    // `paths` holds the input and `destination` the file.
    bool single = false;
    QStringList paths;     // inputs: SHX files and folders
    QString destination;   // the folder every output goes into; empty: beside the inputs
    bool destinationNamed = false; // given as such: made if missing
    bool recursive = false;
};

// Reads the command line into `request`. Returns false when there is nothing
// to convert: after --help, --version or a usage error, with `status` the
// exit status.
bool readRequest(const QStringList &arguments, Request &request, int &status);

} // namespace cli::convert
