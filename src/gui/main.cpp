#include "gui/ManagerMain.h"

int main(int argc, char** argv) {
    return RunManager(argc, argv);
}
