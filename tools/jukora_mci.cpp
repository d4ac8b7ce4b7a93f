// jukora-mci: sends command strings to the media service, one a line from standard input, and
// prints for each the return code and the reply (or, on failure, the error text) on one line.
#include "media/MpvMciService.h"

#include <QCoreApplication>

#include <clocale>
#include <cstdio>
#include <iostream>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {
// The commands are read from a copy of standard input above the low descriptors; /dev/null
// stands on 0 itself, which libmpv's video outputs may close.
FILE* CommandInput() {
    const int input = fcntl(0, F_DUPFD_CLOEXEC, 3);
    if (input < 0)
        return nullptr;
    const int null = open("/dev/null", O_RDONLY);
    if (null >= 0 && null != 0) {
        dup2(null, 0);
        close(null);
    }
    return fdopen(input, "r");
}

bool ReadLine(FILE* input, std::string& line) {
    line.clear();
    for (int c = std::fgetc(input); c != EOF; c = std::fgetc(input)) {
        if (c == '\n')
            return true;
        line += static_cast<char>(c);
    }
    return !line.empty();
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    FILE* input = CommandInput();
    if (!input) {
        std::cerr << "jukora-mci: standard input cannot be read\n";
        return 1;
    }
    MpvMciService service;
    std::string line;
    while (ReadLine(input, line)) {
        if (line.empty())
            continue;
        QString reply;
        const quint32 code = service.SendString(QString::fromStdString(line), &reply, 128);
        const QString text = code == 0 ? reply : service.ErrorString(code);
        std::cout << code << ' ' << text.toStdString() << std::endl;
    }
    std::fclose(input);
    return 0;
}
