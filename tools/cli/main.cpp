// Entry point of the `vantir` command-line tool.
// Everything else lives in RunVantir so that tests can run it in process.
#include <iostream>

#include "tools/cli/cli.h"
#include "tools/compile/progress.h"

int main(int argc, char** argv) {
    return vantir::tools::RunVantir(argc, argv, std::cout, std::cerr,
                                    vantir::tools::StandardErrorIsTerminal());
}
