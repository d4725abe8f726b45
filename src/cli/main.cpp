#include "cli/CtlMain.h"

int main(int argc, char** argv) {
    return RunCtl(argc, argv);
}
