// lorvane: the desktop program.

#include "ui/application.h"

int main(int argc, char** argv) { return lorvane::RunLorvane(argc, argv, LORVANE_VERSION); }
