// Makes the empty library file that ships with the player: make_library <path>.
#include "core/Store.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_library <path of the new dbMedia.mdb>\n");
        return 2;
    }
    try {
        CreateEmptyLibrary(QString::fromLocal8Bit(argv[1]));
    } catch (const StoreError& e) {
        std::fprintf(stderr, "make_library: %s\n", e.what());
        return 1;
    }
    return 0;
}
