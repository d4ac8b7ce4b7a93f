// jukora-mci: sends command strings to the media service, one a line from standard input, and
// prints for each the return code and the reply (or, on failure, the error text) on one line.
#include "media/MpvMciService.h"

#include <QCoreApplication>

#include <clocale>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    MpvMciService service;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line.empty())
            continue;
        QString reply;
        const quint32 code = service.SendString(QString::fromStdString(line), &reply, 128);
        const QString text = code == 0 ? reply : service.ErrorString(code);
        std::cout << code << ' ' << text.toStdString() << std::endl;
    }
    return 0;
}
