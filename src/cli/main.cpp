#include <iostream>

#include "App.h"

int main(int argc, char** argv) {
    return varnodel::cli::runApp(argc, argv, std::cout, std::cerr);
}
